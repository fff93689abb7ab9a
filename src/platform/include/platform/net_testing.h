// Host side: test switches of the platform's network.
#pragma once

// While on, the three Connection Manager calls fail (as when the device has no network).
void SetConnectionManagerFailure(bool fail);
