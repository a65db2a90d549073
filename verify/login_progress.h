// What the login thread posts to the login window: WM_LOGIN_PROGRESS carries the stage in
// wparam and the code in lparam. The numbers are the message's contents, so they never change.
#pragma once

namespace qvx {

struct LoginProgress {
  int stage;
  int code;
};

constexpr bool operator==(LoginProgress a, LoginProgress b) {
  return a.stage == b.stage && a.code == b.code;
}
constexpr bool operator!=(LoginProgress a, LoginProgress b) {
  return !(a == b);
}

namespace progress {
// Stage 1: the verification server and its reply.
constexpr LoginProgress kConnecting{1, 1};      // asking the chosen server
constexpr LoginProgress kServerFailed{1, 2};    // its reply did not download: the login ends
constexpr LoginProgress kServerAnswered{1, 3};  // the reply is here
constexpr LoginProgress kChoosingServer{1, 4};  // the last server did not echo: choosing anew
// Stage 2: the account.
constexpr LoginProgress kAccountAccepted{2, 1};
constexpr LoginProgress kAccountRefused{2, 2};  // the login ends
// Stage 3: the version.
constexpr LoginProgress kVersionTooOld{3, 31};  // the updater runs, the program ends
constexpr LoginProgress kUpdateOffered{3, 32};  // the user may update or go on
// Stage 4: the node list.
constexpr LoginProgress kNodeListLoading{4, 1};
constexpr LoginProgress kNodeListFailed{4, 2};  // the login ends
constexpr LoginProgress kNodeListLoaded{4, 3};
// Stage 5: the end.
constexpr LoginProgress kLoggedIn{5, 1};  // the status window takes over
// Stage 6: the service settings, between the node list and the end.
constexpr LoginProgress kSettingsLoading{6, 1};
}  // namespace progress

}  // namespace qvx
