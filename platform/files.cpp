#include "platform/files.h"

#include <QFile>
#include <QSaveFile>

#include <stdexcept>
#include <unistd.h>

namespace platform {

namespace {

[[noreturn]] void failOn(const std::filesystem::path &path, const QString &reason)
{
    throw std::runtime_error(reason.toStdString() + " : " + path.string());
}

} // namespace

bool isWritable(const std::filesystem::path &path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st))
        return false;
    constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((st.permissions() & anyWrite) == fs::perms::none)
        return false;
    return ::access(path.c_str(), W_OK) == 0;
}

void replaceFile(const std::filesystem::path &path, std::string_view bytes)
{
    // QSaveFile writes beside the file and renames it over the old one only
    // when every write, the flush to the disk and the close went well.
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly))
        failOn(path, file.errorString());
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        const QString reason = file.errorString();
        file.cancelWriting();
        failOn(path, reason);
    }
    if (!file.commit())
        failOn(path, file.errorString());
}

std::string readSmallFile(const std::filesystem::path &path, std::size_t maxBytes)
{
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        failOn(path, file.errorString());
    // One byte more than allowed tells a file that is too big, without reading it all.
    const QByteArray bytes = file.read(static_cast<qint64>(maxBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        failOn(path, file.errorString());
    if (static_cast<std::size_t>(bytes.size()) > maxBytes)
        failOn(path, QStringLiteral("File too large"));
    return bytes.toStdString();
}

} // namespace platform
