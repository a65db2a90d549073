#!/bin/bash
# The partial-relay Wine test on the XP model of Windows: dial-up interfaces above index 5000
# with a gateway, no interface metric and no GetIpInterfaceEntry.
export QVX_RELAY_PROFILE=xp QVX_TEST=test_partial_relay_xp
exec bash "$(dirname "$0")/test_partial_relay.sh"
