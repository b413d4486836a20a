#include "platform/qt/SettingsStore.h"

#include "platform/TextCodec.h"
#include "platform/FileIO.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <limits>

namespace tallix {

namespace {

const QString kSettingsVariable = QStringLiteral("TALLIX32_SETTINGS");
const QString kHomeVariable = QStringLiteral("TALLIX32_HOME");
const QString kFolderName = QStringLiteral("Tallix32");

// ---------------------------------------------------------------------------
// The settings file: "[Section]" lines and "Name=Value" lines in UTF-8. Names are
// written as they are (QSettings' own INI format would escape spaces and other
// characters and treat a section called "General" specially). A value with blanks
// at either end, or one that starts and ends with a double quote, is written
// inside double quotes; a backslash, CR, LF and TAB are written as \\, \r, \n, \t.
// Reading trims blanks around names and values and drops one pair of enclosing
// quotes, so a file edited by hand reads as expected. When a name occurs twice in
// a section, the first one counts.

QString escapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    const bool blankEnds = !out.isEmpty() && (out.front().isSpace() || out.back().isSpace());
    const bool quoted = out.size() >= 2 && out.front() == u'"' && out.back() == u'"';
    if (blankEnds || quoted)
        return u'"' + out + u'"';
    return out;
}

QString unescapeValue(QStringView raw) {
    QStringView v = raw.trimmed();
    if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"')
        v = v.mid(1, v.size() - 2);
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c != u'\\' || i + 1 == v.size()) {
            out += c;
            continue;
        }
        const QChar n = v[i + 1];
        switch (n.unicode()) {
        case u'\\': out += u'\\'; ++i; break;
        case u'r': out += u'\r'; ++i; break;
        case u'n': out += u'\n'; ++i; break;
        case u't': out += u'\t'; ++i; break;
        default: out += c; // not an escape: keep the backslash
        }
    }
    return out;
}

// A file that holds bytes no text has (NUL bytes, or binary control characters)
// is not a settings file: the read fails, QSettings reports a format error, and
// the store keeps the file aside rather than write over it.
bool readSettingsFile(QIODevice& device, QSettings::SettingsMap& map) {
    const QByteArray bytes = device.readAll();
    if (!text::decodeEssayText(std::string_view(bytes.constData(), std::size_t(bytes.size()))))
        return false;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QString section;
    bool usableSection = true;
    const QStringList lines = text.split(u'\n');
    for (const QString& rawLine : lines) {
        const QStringView line = QStringView(rawLine).trimmed();
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.lastIndexOf(u']');
            section = close > 0 ? line.mid(1, close - 1).trimmed().toString() : QString();
            // A name with a slash would become a nested group: such sections are
            // never written by the program and are skipped.
            usableSection = close > 0 && !section.contains(u'/') && !section.contains(u'\\');
            continue;
        }
        if (!usableSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString name = line.left(eq).trimmed().toString();
        if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\'))
            continue;
        const QString key = section.isEmpty() ? name : section + u'/' + name;
        if (!map.contains(key))
            map.insert(key, unescapeValue(line.mid(eq + 1)));
    }
    return true;
}

bool writeSettingsFile(QIODevice& device, const QSettings::SettingsMap& map) {
    QString out;
    // Values outside any section first, then one block per section.
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (!it.key().contains(u'/'))
            out += it.key() + u'=' + escapeValue(it.value().toString()) + u'\n';
    QString current;
    bool first = out.isEmpty();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(u'/');
        if (slash < 0)
            continue;
        const QString section = it.key().left(slash);
        if (first || section != current) {
            if (!first)
                out += u'\n';
            out += u'[' + section + QStringLiteral("]\n");
            current = section;
            first = false;
        }
        out += it.key().mid(slash + 1) + u'=' + escapeValue(it.value().toString()) + u'\n';
    }
    const QByteArray bytes = out.toUtf8();
    return device.write(bytes) == bytes.size();
}

QSettings::Format settingsFileFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), readSettingsFile, writeSettingsFile);
    return format;
}

bool refuseToWrite(QIODevice&, const QSettings::SettingsMap&) { return false; }

// The same file read the same way, never written: for a damaged file that could
// not be kept aside, so that nothing of it is lost to a later save.
QSettings::Format readOnlySettingsFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), readSettingsFile, refuseToWrite);
    return format;
}

// The reports of damaged settings files found by any store of this run, until the
// window takes them.
std::vector<Message>& pendingReports() {
    static std::vector<Message> reports;
    return reports;
}

std::u16string u16(const QString& s) { return s.toStdU16String(); }

// Whether a settings file could be written at path: the file written whole into a
// temporary file beside it and renamed over it, its folder made when missing.
bool settingsFileWritable(const QString& path) {
    const QFileInfo file(path);
    if (file.exists() && (file.isDir() || !file.isWritable()))
        return false;
    // The nearest folder that exists must take new files.
    QFileInfo folder(file.absolutePath());
    while (!folder.exists() && !folder.isRoot() &&
           folder.absoluteFilePath() != folder.absolutePath())
        folder = QFileInfo(folder.absolutePath());
    if (!folder.exists())
        return true; // nothing to tell from here; a failed flush still reports
    return folder.isDir() && folder.isWritable();
}

// Each settings file that cannot be written is reported once in a run, whichever
// store of it finds out.
void reportUnwritable(const QString& location, bool isFolder) {
    static QStringList reported;
    const QString key = QFileInfo(location).absoluteFilePath();
    if (reported.contains(key))
        return;
    reported.push_back(key);
    const std::u16string name = u16(QFileInfo(location).fileName());
    pendingReports().push_back(
        Message{isFolder ? u"The settings file \"" + name +
                               u"\" is a folder, not a file. The program starts with its default "
                               u"settings, and changes to them are not saved."
                         : u"The settings file \"" + name +
                               u"\" cannot be written. Changes to the settings are not saved.",
                MessageType::Warning, SettingsHelpContext});
}

QString withTrailingSeparator(const QString& folder) {
    QString f = QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
    if (!f.endsWith(QDir::separator()))
        f += QDir::separator();
    return f;
}

QString userDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
           kFolderName;
}

// Writes out the built-in copies of every file in the resource folder of
// resourcePath into targetFolder (files already there are left alone). Returns the
// path of the written (or present) copy of resourcePath, or empty on failure.
QString extractResourceFolder(const QString& relativePath, const QString& targetFolder) {
    const QFileInfo wanted(QStringLiteral(":/") + relativePath);
    const QString relFolder = QFileInfo(relativePath).path(); // "." when none
    const QString outFolder =
        relFolder == QStringLiteral(".") ? targetFolder : targetFolder + u'/' + relFolder;
    if (!QDir().mkpath(outFolder))
        return {};
    const QDir resourceDir = wanted.dir();
    const QStringList names = resourceDir.entryList(QDir::Files);
    for (const QString& name : names) {
        const QString target = outFolder + u'/' + name;
        if (QFileInfo::exists(target))
            continue;
        QFile in(resourceDir.filePath(name));
        if (!in.open(QIODevice::ReadOnly))
            continue;
        QSaveFile out(target);
        if (!out.open(QIODevice::WriteOnly))
            return {};
        out.write(in.readAll());
        if (!out.commit())
            return {};
    }
    const QString result = outFolder + u'/' + wanted.fileName();
    return QFileInfo::exists(result) ? QDir::toNativeSeparators(result) : QString();
}

} // namespace

// ---------------------------------------------------------------------------

int parseStoredInteger(const QString& text, int defaultValue) {
    const QStringView t = QStringView(text).trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < t.size() && t[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    const QStringView digits = t.mid(i);
    if (digits.isEmpty())
        return defaultValue;
    if (hex) {
        if (digits.size() > 8)
            return defaultValue;
        quint32 v = 0;
        for (QChar c : digits) {
            const int d = c.isDigit() ? c.digitValue()
                          : (c >= u'a' && c <= u'f') ? c.unicode() - u'a' + 10
                          : (c >= u'A' && c <= u'F') ? c.unicode() - u'A' + 10
                                                     : -1;
            if (d < 0 || c.unicode() > 0x7F)
                return defaultValue;
            v = v * 16u + static_cast<quint32>(d);
        }
        // A 32-bit pattern: "$80000008" is the negative number with those bits.
        const qint32 asSigned = static_cast<qint32>(v);
        return negative ? static_cast<int>(0 - static_cast<quint32>(asSigned)) : asSigned;
    }
    qint64 v = 0;
    for (QChar c : digits) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return defaultValue;
        v = v * 10 + (c.unicode() - u'0');
        if (v > qint64(std::numeric_limits<int>::max()) + 1)
            return defaultValue;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return defaultValue;
    return static_cast<int>(v);
}

QString defaultSettingsLocation() {
    const QString fromEnvironment = qEnvironmentVariable(kSettingsVariable.toUtf8().constData());
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix32");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           kFolderName + QStringLiteral("/Tallix32.conf");
#endif
}

SettingsStore::SettingsStore() : location_(defaultSettingsLocation()) {
#ifdef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty(kSettingsVariable.toUtf8().constData())) {
        settings_ = std::make_unique<QSettings>(location_, QSettings::NativeFormat);
        return;
    }
#endif
    openFile();
}

SettingsStore::SettingsStore(const QString& filePath) : location_(filePath) { openFile(); }

void SettingsStore::openFile() {
    if (QFileInfo(location_).isDir()) {
        // Nothing to read there, and nothing may be written over it.
        reportUnwritable(location_, true);
        settings_ = std::make_unique<QSettings>(location_, readOnlySettingsFormat());
        return;
    }
    settings_ = std::make_unique<QSettings>(location_, settingsFileFormat());
    // Written through a temporary file and a rename, never in place.
    settings_->setAtomicSyncRequired(true);
    if (settings_->status() != QSettings::FormatError) {
        if (!settingsFileWritable(location_))
            reportUnwritable(location_, false);
        return;
    }
    // A file that cannot be read as settings would be written over, whole, by the
    // next change: keep it aside instead, and start from the defaults.
    settings_.reset();
    const std::string path = QDir::toNativeSeparators(location_).toStdString();
    std::string keptAs;
    const QString name = QFileInfo(location_).fileName();
    const std::u16string lead = u"The settings file \"" + u16(name) + u"\" could not be read. ";
    if (fileio::setAside(path, keptAs).ok) {
        pendingReports().push_back(Message{
            lead + u"It has been kept as \"" + u16(QFileInfo(QString::fromStdString(keptAs)).fileName()) +
                u"\", and the program starts with its default settings.",
            MessageType::Warning, fileio::SetAsideHelpContext});
        settings_ = std::make_unique<QSettings>(location_, settingsFileFormat());
        settings_->setAtomicSyncRequired(true);
    } else {
        pendingReports().push_back(Message{
            lead + u"It has been left as it is; the program starts with its default settings, "
                   u"and changes to them are not saved.",
            MessageType::Warning, fileio::SetAsideHelpContext});
        settings_ = std::make_unique<QSettings>(location_, readOnlySettingsFormat());
    }
}

std::vector<Message> SettingsStore::takeDamageReports() {
    std::vector<Message> reports;
    reports.swap(pendingReports());
    return reports;
}

SettingsStore::~SettingsStore() {
    flush();
}

QString SettingsStore::location() const {
    return location_;
}

QString SettingsStore::resolvedKey(const QString& section, const QString& name) const {
    // The registry matches names without regard to case; the file store is made to
    // behave the same, and a value written under another spelling replaces the one
    // that is there rather than standing beside it.
    QString actualSection = section;
    if (!section.isEmpty()) {
        const QStringList groups = settings_->childGroups();
        if (!groups.contains(section)) {
            for (const QString& g : groups)
                if (g.compare(section, Qt::CaseInsensitive) == 0) {
                    actualSection = g;
                    break;
                }
        }
        settings_->beginGroup(actualSection);
    }
    QString actualName = name;
    const QStringList keys = settings_->childKeys();
    if (!keys.contains(name)) {
        for (const QString& k : keys)
            if (k.compare(name, Qt::CaseInsensitive) == 0) {
                actualName = k;
                break;
            }
    }
    if (!section.isEmpty())
        settings_->endGroup();
    return actualSection.isEmpty() ? actualName : actualSection + u'/' + actualName;
}

bool SettingsStore::valueExists(const QString& section, const QString& name) const {
    return settings_->contains(resolvedKey(section, name));
}

QString SettingsStore::readString(const QString& section, const QString& name,
                                  const QString& defaultValue) const {
    const QVariant v = settings_->value(resolvedKey(section, name));
    return v.isValid() ? v.toString() : defaultValue;
}

int SettingsStore::readInteger(const QString& section, const QString& name,
                               int defaultValue) const {
    const QVariant v = settings_->value(resolvedKey(section, name));
    return v.isValid() ? parseStoredInteger(v.toString(), defaultValue) : defaultValue;
}

bool SettingsStore::readBool(const QString& section, const QString& name,
                             bool defaultValue) const {
    const QVariant v = settings_->value(resolvedKey(section, name));
    if (!v.isValid())
        return defaultValue;
    const QString text = v.toString().trimmed();
    if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    return parseStoredInteger(text, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::writeString(const QString& section, const QString& name,
                                const QString& value) {
    settings_->setValue(resolvedKey(section, name), value);
}

void SettingsStore::writeInteger(const QString& section, const QString& name, int value) {
    writeString(section, name, QString::number(value));
}

void SettingsStore::writeBool(const QString& section, const QString& name, bool value) {
    writeString(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool SettingsStore::flush() {
    if (settings_->format() != QSettings::NativeFormat) {
        const QString folder = QFileInfo(location_).absolutePath();
        QDir().mkpath(folder);
    }
    settings_->sync();
    const bool ok = settings_->status() == QSettings::NoError;
    if (!ok && settings_->format() == settingsFileFormat())
        reportUnwritable(location_, QFileInfo(location_).isDir());
    return ok;
}

// ---------------------------------------------------------------------------

// The copy of a shipped file installed with the program: beside it, in
// ../share/tallix32 (an installed or unpacked tree), or in ../Resources (a macOS
// bundle). Empty when there is none.
static QString installedCopy(const QString& rel) {
    if (!QCoreApplication::instance())
        return {};
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {appDir + u'/' + rel,
                                     appDir + QStringLiteral("/../share/tallix32/") + rel,
                                     appDir + QStringLiteral("/../Resources/") + rel})
        if (QFileInfo(candidate).isFile())
            return QDir::toNativeSeparators(QDir::cleanPath(candidate));
    return {};
}

QString programFolder() {
    // Never the folder the program is installed in: the files kept here are the
    // teacher's own, and shipped copies are found beside the program instead.
    const QString home = qEnvironmentVariable(kHomeVariable.toUtf8().constData());
    if (!home.isEmpty())
        return withTrailingSeparator(home);
    const QString data = QString::fromStdString(userProgramFolder());
    QDir().mkpath(data);
    return withTrailingSeparator(data);
}

QString readableFile(const QString& path) {
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const QString folder = QDir::fromNativeSeparators(programFolder());
    const QString wanted = QDir::fromNativeSeparators(path);
    if (!wanted.startsWith(folder))
        return path;
    const QString installed = installedCopy(wanted.mid(folder.size()));
    return installed.isEmpty() ? path : installed;
}

QString findShippedFile(const QString& relativePath) {
    QString rel = QDir::cleanPath(QString(relativePath).replace(u'\\', u'/'));
    if (rel.isEmpty() || rel == QStringLiteral(".") || QDir::isAbsolutePath(rel) ||
        rel == QStringLiteral("..") || rel.startsWith(QStringLiteral("../")))
        return {};

    const QString inProgramFolder = QDir::fromNativeSeparators(programFolder()) + rel;
    if (QFileInfo(inProgramFolder).isFile())
        return QDir::toNativeSeparators(inProgramFolder);

    if (const QString installed = installedCopy(rel); !installed.isEmpty())
        return installed;

    initResources();
    if (!QFileInfo(QStringLiteral(":/") + rel).isFile())
        return {};
    QString written = extractResourceFolder(rel, QDir::fromNativeSeparators(programFolder()));
    if (written.isEmpty())
        written = extractResourceFolder(rel, userDataFolder());
    return written;
}

} // namespace tallix
