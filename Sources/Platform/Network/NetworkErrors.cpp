#include "Network/NetworkErrors.hpp"

#include <cctype>
#include <cstring>

namespace UmberlinPlatform {
namespace {

// strerror texts start with a capital and carry no full stop: "Connection refused".
std::string sentenceFrom(std::string text) {
    if (text.empty()) return "An unknown network error occurred.";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (text.back() != '.') text += '.';
    return text;
}

}  // namespace

NetworkError networkErrorFromErrno(int errnoValue) {
    char buffer[256] = {};
    // GNU strerror_r returns the text, which may or may not live in `buffer`.
    const char* text = strerror_r(errnoValue, buffer, sizeof buffer);
    return {errnoValue, sentenceFrom(text ? text : "")};
}

NetworkError networkErrorWithDescription(std::string sentence) { return {0, std::move(sentence)}; }

}  // namespace UmberlinPlatform
