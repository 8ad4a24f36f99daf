#include <filesystem>
#include <optional>

#include "common/Utf8Path.h"
#include "form/Form.h"
#include "simtools/CompressionScript.h"
#include "simtools/SimulatorPath.h"

namespace quarvel {

namespace fs = std::filesystem;

Outcome Form::CompressButtonClick() {
  std::string utility = DirValue("FFEdit");
  if (utility.empty())
    utility = JoinSimulatorPath(registry().SimulatorPath(), kUtilityBelowSimulator);
  if (!IsUtilityPath(utility)) {
    session.Message(BoxKind::Warning, LangText(Text::FindConverter), Buttons::Ok);
    OpenFileRequest request;
    request.initialDir = DirValue("InitialDir");
    request.fileName = std::string(kUtilityName);
    request.filter = LangText(Text::ConverterFilter);
    request.mustExist = true;
    if (const std::optional<std::string> chosen = dialogs().OpenFile(request)) utility = *chosen;
    if (!IsUtilityPath(utility)) {
      // Without the simulator's utility the program converts by itself.
      if (!session.Confirmed(LangText(Text::BuiltInConverter)))
        return session.Refuse(BoxKind::Error, LangText(Text::ConverterNotFound));
      const std::optional<std::string> shape = ChooseShapeToConvert();
      if (!shape) return Outcome::Declined();
      return ConvertWithBuiltInConverter(*shape);
    }
    if (ProgramIni) ProgramIni->WriteString("Dir", "FFEdit", utility);
  }

  const std::optional<std::string> shape = ChooseShapeToConvert();
  if (!shape) return Outcome::Declined();

  // Beside the program, or where its INI file goes when the program's folder
  // cannot be written.
  const fs::path folder = PathOf(ProgramIniPath()).parent_path();
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  const std::string script = Utf8Of(folder / kScriptName);
  WriteScript(script, CompressionScriptLines(
                          launcher().PathForScript(Utf8Of(fs::absolute(PathOf(utility)))),
                          launcher().PathForScript(Utf8Of(fs::absolute(PathOf(*shape))))));
  RemoveStaleUtilityOutput(utility);
  if (!launcher().StartScript(script))
    return session.Refuse(BoxKind::Error, LangText(Text::ConverterNotStarted));
  return Outcome::Done();
}

std::optional<std::string> Form::ChooseShapeToConvert() {
  OpenFileRequest request;
  request.initialDir = DirValue("InitialDir");
  request.fileName = DirValue("Filename");
  request.filter = LangText(Text::ShapeFilter);
  request.mustExist = true;
  return dialogs().OpenFile(request);
}

Outcome Form::ConvertWithBuiltInConverter(const std::string& path) {
  BusyCursor busy(dialogs());
  const std::string original = ReadShapeFileBytes(path);
  // Each form becomes the other, as the simulator's utility converts them;
  // a binary one becomes exactly the text the utility writes.
  const bool toText = format::FormOfFile(original) != format::ShapeForm::Text;
  std::optional<quarvel::Message> failure;
  if (toText) {
    format::ShapeFileInfo info;
    const std::string text = format::ConverterTextOfFile(original, info);
    for (const auto& warning : info.warnings)
      session.Message(BoxKind::Warning, warning.In(session.Texts()), Buttons::Ok);
    failure = WriteShapeBytes(path, text);
  } else {
    ShapeText text;
    std::string bom;
    ReadShapeCallbacks callbacks;
    callbacks.continueWithoutUnicodeMark = [this] {
      return session.Confirmed(LangText(Text::NoUnicodeMark));
    };
    if (DecodeShapeBytes(original, text, bom, callbacks) != ReadOutcome::Read)
      return Outcome::Declined();
    const format::ShapeSaveResult saved =
        format::SaveShapeFile(path, text.All(), format::ShapeForm::Compressed, bom,
                              format::kUsualSubHeaderTail, session.Texts());
    if (saved.refusal) return session.RefuseUnencodable(*saved.refusal);
    failure = saved.failure;
  }
  if (failure)
    return session.Refuse(BoxKind::Warning,
                          LangText(Text::NotWritten) + "\n" + failure->In(session.Texts()));
  session.Message(BoxKind::Information,
                  LangText(toText ? Text::ConvertedToText : Text::ConvertedToCompressed),
                  Buttons::Ok);
  return Outcome::Done();
}

}  // namespace quarvel
