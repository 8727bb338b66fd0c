#include "interchange/Decompress.h"

#include "interchange/MapFacts.h"
#include "interchange/MapWords.h"

#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <memory>

namespace qorv::interchange {

namespace {

constexpr int ZlibWindowBits = 15;
constexpr int GzipWindowBits = 15 + 16; // zlib's way of asking for a gzip header

[[noreturn]] void refuseDamaged(const char* kind) {
    throw MapRefused(std::string("the layer data's ") + kind + " stream is damaged");
}

// A map whose data holds more than one stream holds something this reader would drop.
void requireAllUsed(bool ended, std::size_t unused, const char* kind) {
    if (ended && unused != 0)
        throw MapRefused(std::string("the layer data goes on after its ") + kind + " stream");
}

QByteArray inflateStream(QByteArrayView stream, int windowBits, qsizetype limit, const char* kind) {
    QByteArray out(limit + 1, Qt::Uninitialized);
    z_stream z{};
    if (inflateInit2(&z, windowBits) != Z_OK) refuseDamaged(kind);
    const std::unique_ptr<z_stream, int (*)(z_stream*)> end(&z, inflateEnd);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    // A full buffer is enough to know the data is too long, whether the stream ends or not.
    if (z.avail_out != 0 && result != Z_STREAM_END) refuseDamaged(kind);
    requireAllUsed(result == Z_STREAM_END, z.avail_in, kind);
    out.truncate(out.size() - static_cast<qsizetype>(z.avail_out));
    return out;
}

QByteArray unzstd(QByteArrayView stream, qsizetype limit) {
    QByteArray out(limit + 1, Qt::Uninitialized);
    const std::unique_ptr<ZSTD_DStream, size_t (*)(ZSTD_DStream*)> z(ZSTD_createDStream(),
                                                                     ZSTD_freeDStream);
    if (!z) refuseDamaged("zstd");
    ZSTD_inBuffer in{stream.data(), static_cast<size_t>(stream.size()), 0};
    ZSTD_outBuffer to{out.data(), static_cast<size_t>(out.size()), 0};
    size_t left = 1;
    while (to.pos < to.size) {
        left = ZSTD_decompressStream(z.get(), &to, &in);
        if (ZSTD_isError(left)) refuseDamaged("zstd");
        if (left == 0) break;                             // a frame ended
        if (in.pos == in.size && to.pos < to.size) break; // input used up mid-frame
    }
    if (left != 0 && to.pos < to.size) refuseDamaged("zstd");
    requireAllUsed(left == 0, in.size - in.pos, "zstd");
    out.truncate(static_cast<qsizetype>(to.pos));
    return out;
}

} // namespace

Compression compressionNamed(const QString& name) {
    if (name.isEmpty()) return Compression::None;
    if (name == u"zlib") return Compression::Zlib;
    if (name == u"gzip") return Compression::Gzip;
    if (name == u"zstd") return Compression::Zstd;
    throw MapRefused("unknown compression " + mapWord(name));
}

QByteArray decompress(QByteArrayView stream, Compression compression, qsizetype limit) {
    switch (compression) {
    case Compression::None:
        return stream.first(std::min(stream.size(), limit + 1)).toByteArray();
    case Compression::Zlib:
        return inflateStream(stream, ZlibWindowBits, limit, "zlib");
    case Compression::Gzip:
        return inflateStream(stream, GzipWindowBits, limit, "gzip");
    case Compression::Zstd:
        return unzstd(stream, limit);
    }
    return {};
}

} // namespace qorv::interchange
