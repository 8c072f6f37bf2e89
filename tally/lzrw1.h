// The compression component: one input compressed into a self-describing container
// (identifier, uncompressed size, body) by the LZRW1/KH coder (Fast) or the LZH coder
// (Good), and back.
#pragma once

#include "tally/lzh.h"
#include "tally/lzrw1kh.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

enum class TCompressMode { Good = 0, Fast = 1, Auto = 2 };

class Tlzrw1 {
public:
    static constexpr std::uint32_t kIdLzrw1kh = 0x4C5A5257; // bytes 57 52 5A 4C
    static constexpr std::uint32_t kIdLzh = 0x4C5A4821;     // bytes 21 48 5A 4C
    static constexpr int kHeaderSize = 8;
    // Inputs of fewer bytes are too small to sample: Advise answers Good.
    static constexpr std::int64_t kAdviseMinSize = 3 * TLZR::kChunkSize;

    // False: InputFile to OutputFile (an existing output is replaced). True: from
    // InputStream's current position to OutputStream's; the caller owns both streams.
    bool UseStream = false;
    std::string InputFile;
    std::string OutputFile;
    std::istream *InputStream = nullptr;
    std::ostream *OutputStream = nullptr;
    TCompressMode CompressMode = TCompressMode::Good;
    // Auto picks Fast when LZRW1/KH shrinks the samples below this percentage.
    int Threshold = 40;

    // The progress line during a run and the result line at its end. A run also lets the
    // application handle its pending events after every block read and every block write.
    std::function<void(const std::string &)> OnProgress;
    std::function<void(const std::string &)> OnResult;
    std::function<void()> OnProcessEvents;

    // Each operation raises ELzrw1Exception with the program's message on failure. In
    // file mode an output the run had created is removed; one that existed before the
    // run and was not yet opened is left alone.

    // Returns the bytes written, header included.
    std::int64_t Compress();
    // Returns the bytes produced.
    std::int64_t Decompress();
    // Samples the input and recommends Fast or Good; an input too small to sample also
    // sets CompressMode to Good.
    TCompressMode Advise();

private:
    friend class Lzrw1Run;

    TLZR lzr_;
    TLZH lzh_;
};

// The container of data, coded in memory (stream mode) in the given mode.
std::string compressString(const std::string &data, TCompressMode mode);
// The data a container holds, decoded in memory. Throws as Decompress does.
std::string decompressString(const std::string &container);
