// QVX-UNBUILT: comes with the status window work.
#include "status/unit2.h"

namespace qvx {
void TForm2::z1Click() {}
void TForm2::N1Click() {}
void TForm2::N2Click() {}
void TForm2::N3Click() {}
void TForm2::N4Click() {}
void TForm2::N5Click() {}
void TForm2::N6Click() {}
void TForm2::suiButton1Click() {}
}  // namespace qvx
