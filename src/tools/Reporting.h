#pragma once
// How the command line speaks of files and failures: names as the system spells them and as
// messages show them (text/Quoting), every failure as "NAME: reason" (text/Message), and the
// two ways a failure is met: named and passed on, or kept as the message to report.

#include "errors/IoError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

namespace app {

// The bytes of a name as the system spells it.
std::string fileName(const QString& name);

// The name as every message shows it.
QString quotedName(const QByteArray& name);
QString quotedName(const QString& name);

// "a", "a or b", "a, b or c" with `last` "or".
QString listed(const QStringList& items, const QString& last);

// "NAME: reason", NAME quoted.
std::string about(const QString& name, std::string_view reason);

// A failure's reason, told better where the failure's kind and its file allow.
using Explanation = std::string (*)(const QString& name, const qorv::EditorError& failure);

// What `work` gives; a failure it throws is thrown on as "<doing>NAME: <reason>", the reason
// told by `explain` when there is one.
template <typename Work>
auto aboutFile(const QString& name, Work&& work, std::string_view doing = {},
               Explanation explain = nullptr) -> decltype(work()) {
    try {
        return work();
    } catch (const qorv::EditorError& failure) {
        throw qorv::EditorError(std::string(doing) +
                                about(name, explain ? explain(name, failure) : failure.what()));
    }
}

// The message of the failure `work` throws; nothing when it succeeds.
template <typename Work> std::optional<std::string> failureOf(Work&& work) {
    try {
        work();
        return std::nullopt;
    } catch (const qorv::EditorError& failure) {
        return failure.what();
    }
}

} // namespace app
