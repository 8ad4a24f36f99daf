#include "form/Form.h"

namespace quarvel {

void Form::LODAnzSpinEditChange(int value) { LODAnzSpinEdit.value = value; }
void Form::LODAnzSpinEditExit() {}
bool Form::StringGrid4SelectCell(int col, int) { return col == 1; }
void Form::StringGrid4SetEditText(int col, int row, const std::string& text) { StringGrid4.SetCell(col, row, text); }
void Form::StringGrid4Exit() {}

}  // namespace quarvel
