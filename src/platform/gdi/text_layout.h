// Breaking DrawTextW's text into the lines it draws.
#pragma once

#include <platform/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Lines of text for the DT_ flags: prefix characters resolved (unless DT_NOPREFIX), line breaks
// honoured (unless DT_SINGLELINE), words wrapped at width (DT_WORDBREAK), and a single line that
// does not fit shortened with "..." (DT_END_ELLIPSIS).
std::vector<std::u16string> LayOutText(std::u16string_view text, UINT format, int width,
                                       const std::function<int(std::u16string_view)>& measure);
