// QVX-UNBUILT: comes with the connection-flow work.
#include "status/unit2.h"

namespace qvx {
void TForm2::Timer1Timer() {}
void TForm2::Timer2Timer() {}
void TForm2::Timer3Timer() {}
void TForm2::Timer4Timer() {}
void TForm2::Timer5Timer() {}
}  // namespace qvx
