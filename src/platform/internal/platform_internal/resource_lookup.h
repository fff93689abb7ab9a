// Finds the resource that holds a pointer, so parsers of templates passed by pointer know where
// the bytes end.
#pragma once

#include <cstddef>

// The bytes from data to the end of the resource holding it; 0 when no resource holds it.
std::size_t ResourceBytesFrom(const void* data);
