// Peers of the child controls, one maker per kind.
#pragma once
#include <memory>

#include "widgets/controls.h"
#include "widgets/win32/peer.h"

namespace qvx::widgets::win32 {

std::unique_ptr<Peer> make_label_peer(Win32Ui& ui, ContainerPeer& container, Label& label);
std::unique_ptr<Peer> make_status_pane_peer(Win32Ui& ui, ContainerPeer& container,
                                            StatusPane& pane);
std::unique_ptr<Peer> make_edit_peer(Win32Ui& ui, ContainerPeer& container, Edit& edit);
std::unique_ptr<Peer> make_button_peer(Win32Ui& ui, ContainerPeer& container, Button& button);
std::unique_ptr<Peer> make_check_box_peer(Win32Ui& ui, ContainerPeer& container, CheckBox& box);
std::unique_ptr<Peer> make_combo_box_peer(Win32Ui& ui, ContainerPeer& container, ComboBox& box);
std::unique_ptr<Peer> make_browser_peer(Win32Ui& ui, ContainerPeer& container, Browser& browser);

}  // namespace qvx::widgets::win32
