// Which Windows a simulated service (or a test double) behaves like where the versions part.
#pragma once

namespace qvx::sim {

enum class WindowsProfile {
  // The rules the current documentation states; the default. For IP Helper: small interface
  // indices, PPP adapters with gateway 0.0.0.0, interface metrics that route metrics may not
  // undercut, route updates that name the row exactly.
  VistaAndLater,
  // The older, more lenient rules. For IP Helper: tunnel indices above 5000 with a gateway, no
  // interface metric, updates found by destination, mask and interface.
  XpLike,
};

}  // namespace qvx::sim
