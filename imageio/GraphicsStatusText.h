// The Japanese sentence for an imaging status code, put by callers on the
// last line of their own messages. Codes 1 to 20 have a text; 0, anything
// above 20 and negative codes (read as unsigned) give the empty string.
#pragma once

#include <cstdint>
#include <string>

std::string GraphicsStatusText(std::uint32_t status);
