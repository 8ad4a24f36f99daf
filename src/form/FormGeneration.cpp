#include "common/Convert.h"
#include "form/Form.h"
#include "generation/Generation.h"

namespace quarvel {

namespace {

const char* const kGeneralError =
    "Allgemeiner Fehler, z.B. Eintragungen unvollständig, Datei fehlerhaft oder leer. Abbruch der "
    "Aktion.";

}  // namespace

void Form::Sub_ObjectsButtonClick() {
  if (shapeText.Empty()) return;
  SavedCursor = dialogs().CurrentCursor();
  dialogs().SetCursor(Cursor::Busy);
  struct RestoreCursor {
    Form& form;
    ~RestoreCursor() { form.dialogs().SetCursor(form.SavedCursor); }
  } restoreCursor{*this};

  GenerationLayout layout;
  if (!PrepareGeneration(shapeText, StringGrid1, ElementCount(), layout)) {
    Message(BoxKind::Warning, kGeneralError, Buttons::Ok);
    return;
  }
  const GenerationInput input{
      StringGrid1,
      StringGrid2,
      StringGrid4,
      shapeIndex,
      ElementCount(),
      LodCount,
      [this](int row, int lod, int subobject) { return InSubobject(row, lod, subobject); },
      [this](int lod, int subobject) { return SubobjectVertexCount(lod, subobject); }};
  GenerationPlan plan;
  std::string refusal = CountAndCheck(input, StringGrid2.RowCount() - 1, plan);
  if (refusal.empty()) refusal = CheckDistances(input);
  if (refusal.empty()) refusal = CheckSourceLayout(shapeText.All(), layout, input, plan);
  if (refusal.empty()) refusal = CheckSourceIntegrity(shapeText.All());
  if (!refusal.empty()) {
    Message(BoxKind::Warning, refusal, Buttons::Ok);
    return;
  }

  SMemo.visible = false;
  SOAnzLabel.visible = true;
  SOAnzLabel1.visible = true;
  Sub_ObjectsButton.enabled = false;
  const bool wasModified = shapeText.Modified();
  std::vector<std::string> sourceLines = shapeText.Take();
  // Puts the text back as it was before the rewrite; a text that was saved
  // then does not ask to be saved again.
  const auto restore = [&] {
    shapeText.Assign(std::move(sourceLines));
    if (wasModified) return;
    shapeText.SetModified(false);
    SpeichernBitBtn.captionRed = false;
    SpeichernUnterBitBtn.captionRed = false;
  };
  const auto finish = [this] {
    SMemo.visible = true;
    SOAnzLabel.visible = false;
    SOAnzLabel1.visible = false;
    ShowLineCount();
  };
  const GenerationProgress progress{[this](const std::string& text) { SOAnzLabel.caption = text; },
                                    [this](const std::string& text) { SOAnzLabel1.caption = text; },
                                    [this] { dialogs().ProcessMessages(); }};
  std::string failure;
  try {
    RewriteResult result = RewriteShape(sourceLines, layout, input, plan, progress);
    if (result.distanceLevelFound) {
      shapeText.Assign(std::move(result.lines));
    } else {
      failure = "Schwerer Syntaxfehler in der Datei (LOD nicht gefunden). Abbruch der Aktion.";
    }
  } catch (const RewriteError& error) {
    // Never leave a half-rebuilt text: the shape stays as it was.
    failure = std::string("Die LOD's und Subobjekte konnten nicht erzeugt werden: ") +
              error.what() + " Der Text ist unverändert.";
  } catch (...) {
    // Whatever else stops the rewrite (memory running out, say) reaches the
    // general error handler, but with the text as it was.
    restore();
    finish();
    throw;
  }
  if (!failure.empty()) restore();
  finish();
  if (!failure.empty()) Message(BoxKind::Error, failure, Buttons::Ok);
}

}  // namespace quarvel
