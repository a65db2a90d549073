// QVX-UNBUILT: the settings readers and writer come with the settings work.
#include "shell/unit1.h"

namespace qvx {
void TForm1::read_site_config() {}
void TForm1::load_user_settings() {}
void TForm1::save_user_settings() {}
}  // namespace qvx
