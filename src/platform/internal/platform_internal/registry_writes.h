// A process that does not own its home folder (home_lock.h) must leave the home's registry file
// as it is: after RefuseRegistryWrites every change fails as on a read-only disk
// (ERROR_WRITE_FAULT, the tree unchanged), and the first refusal says why on stderr.
#pragma once

void RefuseRegistryWrites();
