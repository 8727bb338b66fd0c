#include "tools/Reporting.h"

#include "text/Message.h"
#include "text/Quoting.h"

#include <QFile>

namespace app {

std::string fileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString quotedName(const QByteArray& name) {
    return QString::fromStdString(qorv::text::quoted(name.toStdString()));
}

QString quotedName(const QString& name) {
    return quotedName(QFile::encodeName(name));
}

QString listed(const QStringList& items, const QString& last) {
    if (items.size() < 2) return items.join(QString());
    return items.first(items.size() - 1).join(QStringLiteral(", ")) + ' ' + last + ' ' +
           items.last();
}

std::string about(const QString& name, std::string_view reason) {
    return qorv::text::about(fileName(name), reason);
}

} // namespace app
