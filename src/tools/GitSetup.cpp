#include "tools/GitSetup.h"

#include "errors/IoError.h"
#include "storage/BoundedRead.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <string_view>

namespace app {

namespace {

struct Setting {
    const char* key;
    const char* value;
};

// The drivers, by the name the attribute lines give them. They call `qorvedit` by name, so
// that the configuration holds wherever the program is installed.
constexpr Setting DriverSettings[] = {
    {"diff.qorvedit.textconv", "qorvedit --textconv"},
    {"merge.qorvedit.name", "QorvEdit level merge"},
    {"merge.qorvedit.driver", "qorvedit --merge %O %A %B -o %A --path %P"},
};

// -text: a level's CR LF are bytes of the format, which no text conversion may touch.
constexpr std::string_view AttributeLines[] = {
    "*.qre -text diff=qorvedit merge=qorvedit",
    "*.qrl -text diff=qorvedit merge=qorvedit",
};

// An attributes file larger than this is no file a person keeps.
constexpr std::size_t MaxAttributesFile = std::size_t{1} << 20;

// git's standard output, without its last line end. Throws EditorError with what git said on
// standard error when it fails or cannot be run.
QString git(const QStringList& arguments) {
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("git"), arguments);
    const QString command = "git " + arguments.join(u' ');
    if (!process.waitForStarted())
        throw qorv::EditorError("cannot run git: " + process.errorString().toStdString());
    // git config and rev-parse answer at once; a minute is a hang, never a slow disk.
    if (!process.waitForFinished(60'000)) {
        process.kill();
        process.waitForFinished();
        throw qorv::EditorError(command.toStdString() + ": no answer within a minute");
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw qorv::EditorError(
            command.toStdString() + ": " +
            QString::fromLocal8Bit(process.readAllStandardError()).trimmed().toStdString());
    QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (out.endsWith(u'\n')) out.chop(1);
    return out;
}

// The attributes file git reads for every repository of the user: core.attributesFile, else
// $XDG_CONFIG_HOME/git/attributes, else ~/.config/git/attributes.
QString globalAttributesFile() {
    const QString configured = [] {
        try {
            return git({"config", "--type=path", "--get", "core.attributesFile"});
        } catch (const qorv::EditorError&) {
            return QString(); // not set: git config --get fails
        }
    }();
    if (!configured.isEmpty()) return configured;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString xdg = environment.value("XDG_CONFIG_HOME");
    const QString base = xdg.isEmpty() ? environment.value("HOME") + "/.config" : xdg;
    return base + "/git/attributes";
}

// The lines of `text`, each without its line end and the blanks around it.
QStringList linesOf(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        lines << line.trimmed();
    return lines;
}

// Adds the attribute lines `file` lacks, keeping everything it holds; the lines added.
QStringList addAttributeLines(const QString& file) {
    std::string content;
    try {
        const qorv::BoundedBytes read =
            qorv::readBounded(fileName(file), {.limit = MaxAttributesFile});
        if (read.longer) throw qorv::EditorError("larger than an attributes file can be");
        content = read.bytes;
    } catch (const qorv::IoError& failure) {
        if (failure.code() != qorv::iocode::FileNotFound) throw;
    }
    const QStringList present = linesOf(QString::fromUtf8(content));
    QStringList added;
    for (const std::string_view line : AttributeLines) {
        const QString wanted = QString::fromLatin1(line);
        if (present.contains(wanted)) continue;
        if (!content.empty() && content.back() != '\n') content += '\n';
        content.append(line).append("\n");
        added << wanted;
    }
    if (!added.isEmpty()) writeOutputFile(file, content, {});
    return added;
}

void configure(const QString& scope) {
    for (const Setting& setting : DriverSettings)
        git({"config", scope, setting.key, setting.value});
}

void tell(Console& console, const QString& file, const QStringList& added) {
    for (const QString& line : added)
        console.print(QStringLiteral("%1: added %2\n").arg(quotedName(file), line));
    if (added.isEmpty())
        console.print(QStringLiteral("%1: has the lines already\n").arg(quotedName(file)));
}

int setUpClone(Console& console) {
    const QString top = [] {
        try {
            return git({"rev-parse", "--show-toplevel"});
        } catch (const qorv::EditorError& failure) {
            throw qorv::EditorError(std::string("not in a git clone (") + failure.what() +
                                    "): run it in the clone, or give --global");
        }
    }();
    configure(QStringLiteral("--local"));
    console.print(QStringLiteral("QorvEdit's diff and merge drivers are set in this clone's git "
                                 "configuration\n"));
    const QString attributes = QDir(top).filePath(".gitattributes");
    const QStringList added = aboutFile(attributes, [&] { return addAttributeLines(attributes); });
    tell(console, attributes, added);
    if (!added.isEmpty())
        console.print(QStringLiteral("Commit .gitattributes, so that every clone has the lines; "
                                     "each clone runs qorvedit --git-setup once.\n"));
    return 0;
}

int setUpUser(Console& console) {
    configure(QStringLiteral("--global"));
    console.print(QStringLiteral("QorvEdit's diff and merge drivers are set in your git "
                                 "configuration\n"));
    const QString attributes = globalAttributesFile();
    const QStringList added = aboutFile(attributes, [&] {
        const QString folder = QFileInfo(attributes).path();
        if (!QDir().mkpath(folder)) throw qorv::EditorError("cannot make its folder");
        return addAttributeLines(attributes);
    });
    tell(console, attributes, added);
    return 0;
}

} // namespace

int runGitSetup(const Invocation& invocation, Console& console) {
    return invocation.given(Extra::Global) ? setUpUser(console) : setUpClone(console);
}

} // namespace app
