#include "structure/CopyBuffer.h"

namespace zentrova {

bool CopyBuffer::append(const std::string& text)
{
    for (char ch : text) {
        if (buffer_.size() > StopAfter)
            break;
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b == 255) {
            buffer_.push_back(char(255));
            buffer_.push_back(char(255));
        } else if (b == 0) {
            buffer_.push_back(char(255));
            buffer_.push_back(char(254));
        } else {
            buffer_.push_back(ch);
        }
    }
    return buffer_.size() < SuccessBelow;
}

} // namespace zentrova
