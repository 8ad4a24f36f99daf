#include "form/Form.h"

namespace quarvel {

void Form::AnalyseShape() {}
bool Form::InSubobject(int, int, int) const { return false; }
int Form::SubobjectVertexCount(int, int) { return 0; }
void Form::RefreshAssignment() {}
void Form::DefaultAssignment() {}
bool Form::StringGrid1SelectCell(int col, int) { return col > 2; }
void Form::StringGrid1SetEditText(int col, int row, const std::string& text) { StringGrid1.SetCell(col, row, text); }
void Form::StringGrid1Exit() {}
bool Form::StringGrid2SelectCell(StringGrid&, int col, int) { return col >= 2; }
void Form::StringGrid2SetEditText(StringGrid& sender, int col, int row, const std::string& text) { sender.SetCell(col, row, text); }
void Form::LODSpinEditChange(int value) { LODSpinEdit.value = value; }
void Form::DoButtonClick() {}
void Form::DoButton1Click() {}
void Form::ZeilePlusButtonClick() {}
void Form::ZeileMinusButtonClick() {}
void Form::GrundButtonClick() {}

}  // namespace quarvel
