// How many times MessageBeep was called (the headless host's record of it).
#pragma once

int BeepCount();
