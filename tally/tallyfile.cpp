#include "tally/tallyfile.h"

#include "tally/lzrw1.h"

#include <QFile>
#include <QSaveFile>

#include <stdexcept>

std::string readTallyFile(const QString &path)
{
    // The component's header message, naming the file as file mode would.
    const std::string noHeader = path.toStdString() + " : Lzrw1 decompression : this file has no valid header !";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString() + " : " + path.toStdString());
    // A tally is a few kilobytes; anything far bigger is not one of ours.
    constexpr qint64 maxTallyFile = 16 << 20;
    if (file.size() > maxTallyFile)
        throw ELzrw1Exception(ELzrw1Exception::Kind::NoHeader, noHeader);
    const QByteArray bytes = file.readAll();

    try {
        return decompressString(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const ELzrw1Exception &e) {
        // Working from memory the component cannot name the file.
        if (e.kind() == ELzrw1Exception::Kind::NoHeader)
            throw ELzrw1Exception(e.kind(), noHeader);
        throw;
    }
}

void writeTallyFile(const QString &path, const std::string &text)
{
    const std::string bytes = compressString(text, TCompressMode::Fast);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit())
        throw std::runtime_error(file.errorString().toStdString() + " : " + path.toStdString());
}

void keepAsBackup(const QString &path)
{
    const QString backup = path + QStringLiteral(".bak");
    QFile::remove(backup);
    if (!QFile::rename(path, backup))
        throw std::runtime_error("Cannot keep " + path.toStdString() + " as " + backup.toStdString());
}
