// Which Windows a simulated service (or a test double) behaves like where the versions part.
#pragma once

namespace qvx::sim {

enum class WindowsProfile {
  VistaAndLater,  // the rules the current documentation states; the default
  XpLike,         // the older, more lenient rules
};

}  // namespace qvx::sim
