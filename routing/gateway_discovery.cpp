// QVX-UNBUILT: comes with the routing work.
#include "shell/unit1.h"

namespace qvx {
void TForm1::discover_gateways() {}
}  // namespace qvx
