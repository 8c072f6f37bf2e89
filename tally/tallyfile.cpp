#include "tally/tallyfile.h"

#include "tally/lzrw1.h"

#include <QFile>
#include <QSaveFile>

#include <sstream>
#include <stdexcept>

std::string readTallyFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString() + " : " + path.toStdString());
    // A tally is a few kilobytes; anything far bigger is not one of ours.
    constexpr qint64 maxTallyFile = 16 << 20;
    if (file.size() > maxTallyFile)
        throw ELzrw1Exception(path.toStdString() + " : Lzrw1 decompression : this file has no valid header !");
    const QByteArray bytes = file.readAll();

    std::istringstream in(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    std::ostringstream out;
    Tlzrw1 coder;
    coder.UseStream = true;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    try {
        coder.Decompress();
    } catch (const ELzrw1Exception &e) {
        // Working from memory the component cannot name the file; say it as it would.
        if (std::string(e.what()).find("no valid header") != std::string::npos)
            throw ELzrw1Exception(path.toStdString() + " : Lzrw1 decompression : this file has no valid header !");
        throw;
    }
    return out.str();
}

void writeTallyFile(const QString &path, const std::string &text)
{
    std::istringstream in(text);
    std::ostringstream out;
    Tlzrw1 coder;
    coder.UseStream = true;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.CompressMode = TCompressMode::Fast;
    coder.Compress();

    const std::string bytes = out.str();
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
