#pragma once
// Base64 (the standard alphabet with "=" padding, no line breaks), as SMTP AUTH sends it.

#include <string>
#include <string_view>

namespace kestrel {

std::string EncodeBase64(std::string_view bytes);

}  // namespace kestrel
