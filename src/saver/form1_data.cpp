// PLACEHOLDER until the data files land.
#include "saver/form1.h"

namespace kel {

void Form1::ChkFiles() {}
void Form1::make_init() {}
void Form1::make_Msg() {}
void Form1::InitRead() { OneShot = 888; ViewMode = 9; FontMode = 99; Sound = 8; Speak = 88; Frase_No = 7; }
void Form1::Read_Msg() {}

}  // namespace kel
