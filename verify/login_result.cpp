// QVX-UNBUILT: comes with the verification work.
#include "shell/unit1.h"

namespace qvx {
void TForm1::on_login_progress(int, int) {}
}  // namespace qvx
