// param_template.h: fills the port and the HEX path into a board type's avrdude parameter template.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook {

// Expands the template: %1 becomes `port`, %2 becomes `hexPath`, %% becomes one percent sign.
// A %1 or %2 followed by another digit (%10, %12) stays as written, as do %3 and a lone %.
// Values go in as they are, without quotes or escaping. The port is scanned for %2 once it is in
// place (a port text holding %2 receives the HEX path there); the HEX path is never scanned, and a
// value never blocks or completes a pattern next to it. Every other character, control characters
// and NUL included, passes through unchanged.
std::string ExpandParamTemplate(std::string_view paramTemplate, std::string_view port,
                                std::string_view hexPath);

}  // namespace quillbrook
