// The exact bytes user.ini is written as. Older and newer versions read each other's files, so
// the text of a known record, and its scrambled form at a known second, may not drift.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_platform.h"
#include "shell/password.h"
#include "shell/settings_content.h"
#include "verify/client_record.h"

namespace qvx {
namespace {

TEST(UserIniFormatTest, AKnownRecordIsWrittenAsTheseBytes) {
  sim::SimPlatform os{std::filesystem::temp_directory_path() / "qvx-user-ini-format"};
  ClientRecord r(os.platform());
  r.remember_account = 1;
  r.account = "用户_7";
  r.remember_password = 0;
  r.user_password = "pw9";
  r.auto_connect = 1;
  r.spare_option = -4;
  r.remember_choices = 1;
  r.verify_server = 3;
  r.node_choice = 12;
  r.network_mode = 1;
  r.relay_mode = 0;
  r.minimize_on_connect = 1;
  r.no_exit_prompt = 0;
  r.auto_redial = 1;
  const std::string plain = user_settings_content(r);
  EXPECT_EQ(plain, "1\n用户_7\n0\npw9\n1\n-4\n1\n3\n12\n1\n0\n1\n0\n1\n");

  // Keys and filler come from the generator seeded with the second, so they are fixed too.
  os.clock.set(1230768000);
  const std::string disk = scramble_to_file_bytes(plain, os.clock);
  EXPECT_EQ(disk,
            "1916544\r\n764375\r\n"
            "BGi8Ghx@smi\xd3"
            "Foj\xc3"
            "vGE\xbb"
            "EEA\xa7"
            "FFB|tkoeFjs@FAE7DDh@rxnwFGnDzpsgnin@EiD8AAn@htG$pumbvqu@tju8rko@rtyaGik@CCs8stG9GCA@"
            "wBr8sls@Cmv7kzz@yro8ADh@GAx7ktp@Dtx8Dpt@");

  ClientRecord next(os.platform());
  UserSettingsReader(unscramble_file_bytes(disk, os.clock)).read_rest(next);
  EXPECT_EQ(user_settings_content(next), plain) << "every line read back into its member";
}

}  // namespace
}  // namespace qvx
