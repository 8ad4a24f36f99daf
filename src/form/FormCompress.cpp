#include <filesystem>
#include <optional>

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
    Message(BoxKind::Warning,
            "Bitte ffeditc_unicode.exe suchen, normalerweise im Verzeichnis "
            "(trainsimulator)\\utils\\ffedit.",
            Buttons::Ok);
    OpenFileRequest request;
    request.initialDir = DirValue("InitialDir");
    request.fileName = std::string(kUtilityName);
    request.filter = LangText(58);
    request.mustExist = true;
    if (const std::optional<std::string> chosen = dialogs().OpenFile(request)) utility = *chosen;
    if (!IsUtilityPath(utility))
      return Refuse(BoxKind::Error, "ffeditc_unicode.exe nicht gefunden, Abbruch!");
    if (ProgramIni) ProgramIni->WriteString("Dir", "FFEdit", utility);
  }

  OpenFileRequest request;
  request.initialDir = DirValue("InitialDir");
  request.fileName = DirValue("Filename");
  request.filter = LangText(57);
  request.mustExist = true;
  const std::optional<std::string> shape = dialogs().OpenFile(request);
  if (!shape) return Outcome::Declined();

  // Beside the program, or where its INI file goes when the program's folder
  // cannot be written.
  const fs::path folder = fs::path(ProgramIniPath()).parent_path();
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  const std::string script = (folder / kScriptName).string();
  WriteScript(script,
              CompressionScriptLines(launcher().PathForScript(fs::absolute(utility).string()),
                                     launcher().PathForScript(fs::absolute(*shape).string())));
  RemoveStaleUtilityOutput(utility);
  if (!launcher().StartScript(script))
    return Refuse(
        BoxKind::Error,
        "ffeditc_unicode.exe konnte nicht gestartet werden. Dieser Programmteil wurde nur "
        "unter Windows 2000 getestet.");
  return Outcome::Done();
}

}  // namespace quarvel
