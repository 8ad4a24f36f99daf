#include "assignment/ElementAssignment.h"
#include "common/Convert.h"
#include "form/Form.h"
#include "generation/Generation.h"

namespace quarvel {

namespace {

// The sub-object with the most vertices above the limit, and how bad it is.
std::string OversizeText(const OversizedSubobjects& oversized, int limit) {
  std::string text = "Subobjekt " + IntToStr(oversized.subobject) + " von LOD " +
                     IntToStr(oversized.lod) + " hat " + IntToStr(oversized.vertices) +
                     " Vertices, mehr als ";
  if (oversized.vertices > kIndexableVertices)
    text += IntToStr(kIndexableVertices) +
            ", die ein Subobjekt mit 16-Bit-Indizes höchstens haben kann: das Ergebnis wird im "
            "Simulator nicht richtig dargestellt";
  else
    text += "die Grenze von " + IntToStr(limit) + " Vertices";
  if (oversized.count > 1)
    text += " (insgesamt " + IntToStr(oversized.count) + " Subobjekte über der Grenze von " +
            IntToStr(limit) + ")";
  return text;
}

}  // namespace

Outcome Form::ConfirmOversizedSubobjects(const OversizedSubobjects& oversized) {
  const std::string text = OversizeText(oversized, VertexLimit);
  switch (oversizeHandling) {
    case OversizeHandling::Ask: {
      const BoxKind kind =
          oversized.vertices > kIndexableVertices ? BoxKind::Warning : BoxKind::Confirmation;
      if (Message(kind, text + ", trotzdem erzeugen?", Buttons::YesNo) != Answer::Yes)
        return Outcome::Declined();
      return Outcome::Done();
    }
    case OversizeHandling::Refuse:
      refusedForVertexLimit = true;
      return Refuse(BoxKind::Warning, text + ". Abbruch der Aktion.");
    case OversizeHandling::Proceed:
      Message(BoxKind::Warning, text + ". Es wird trotzdem erzeugt.", Buttons::Ok);
      return Outcome::Done();
  }
  return Outcome::Done();
}

Outcome Form::Sub_ObjectsButtonClick() {
  if (shapeText.Empty()) return Outcome::Done();
  SavedCursor = dialogs().CurrentCursor();
  dialogs().SetCursor(Cursor::Busy);
  struct RestoreCursor {
    Form& form;
    ~RestoreCursor() { form.dialogs().SetCursor(form.SavedCursor); }
  } restoreCursor{*this};

  refusedForVertexLimit = false;
  // A sub-object above the limit is asked about after every other check; a
  // No then leaves the text as it was, without the split that the
  // preparation may make of a one-line "sort_vectors" list.
  const std::optional<OversizedSubobjects> oversized = FindOversizedSubobjects(
      plan, PlannedElements(tables), shapeIndex, LodCount, summary.subobjects.Count(), VertexLimit);
  std::optional<ShapeText::Lines> unprepared;
  if (oversized) unprepared = shapeText.All();
  const bool modifiedBefore = shapeText.Modified();

  const std::optional<GenerationLayout> layout = PrepareGeneration(shapeText, plan, ElementCount());
  if (!layout) return Refuse(BoxKind::Warning, kGeneralGenerationError);
  const GenerationInput input{
      tables,
      plan,
      shapeIndex,
      ElementCount(),
      LodCount,
      [this](int row, int lod, int subobject) { return InSubobject(row, lod, subobject); },
      [this](int lod, int subobject) { return SubobjectVertexCount(lod, subobject); }};
  GenerationPlan counts;
  Refusal refusal = CountAndCheck(input, summary.subobjects.Count(), counts);
  if (!refusal) refusal = CheckDistances(input);
  // A damaged shape is named as damaged, by the check --check runs, before
  // the layout is looked at.
  if (!refusal) refusal = CheckSourceIntegrity(shapeText.All());
  if (!refusal) refusal = CheckSourceLayout(shapeText.All(), *layout, input, counts);
  if (refusal) return Refuse(BoxKind::Warning, *refusal);
  if (oversized) {
    if (const Outcome asked = ConfirmOversizedSubobjects(*oversized); !asked.IsDone()) {
      if (shapeText.Count() != unprepared->size()) {
        shapeText.Assign(std::move(*unprepared));
        shapeText.SetModified(modifiedBefore);
      }
      return asked;
    }
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
    if (!wasModified) shapeText.SetModified(false);
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
    shapeText.Assign(RewriteShape(sourceLines, *layout, input, counts, progress));
  } catch (const MissingDistanceLevel& error) {
    failure = error.what();
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
  if (failure.empty()) {
    finish();
    return Outcome::Done();
  }
  restore();
  finish();
  return Refuse(BoxKind::Error, failure);
}

}  // namespace quarvel
