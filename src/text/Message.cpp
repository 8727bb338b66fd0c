#include "text/Message.h"

#include "text/Quoting.h"

namespace qorv::text {

std::string about(std::string_view name, std::string_view reason) {
    std::string message = quoted(name);
    message += ": ";
    message += reason;
    return message;
}

std::string aboutLine(std::string_view name, int line, std::string_view reason) {
    return quoted(name) + ':' + std::to_string(line) + ": " + std::string(reason);
}

std::string complaint(std::string_view message) {
    std::string line(ProgramPrefix);
    line += message;
    line += '\n';
    return line;
}

} // namespace qorv::text
