#include "saver/x11/streamed_face.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace kel::x11 {

namespace {

// The face file read through a stream of small reads rather than mapped
// whole: FreeType then keeps only the tables it needs in memory, where a
// mapped CJK face left megabytes of it resident (pages are mapped around
// each one touched). The face lives as long as the program.
//
// The small reads come in runs on the same few places (a glyph's horizontal
// and vertical metrics, its outline, the metrics again for the next size),
// so the last blocks read are kept: the metrics of the characters in use sit
// in a dozen or so blocks of each table, read once, and a glyph's outline
// costs one read.
struct FaceBlocks {
    static constexpr unsigned long kSize = 4096;
    static constexpr int kCount = 32;
    int fd = -1;
    unsigned long start[kCount] = {};
    unsigned long length[kCount] = {};  // 0: the slot holds nothing
    unsigned long used[kCount] = {};    // when last read, for replacing the oldest
    unsigned long clock = 0;
    unsigned char data[kCount][kSize] = {};

    // The slot holding the block that starts at `at`, read in when missing;
    // -1 when the file cannot be read there.
    int Block(unsigned long at) {
        int oldest = 0;
        for (int i = 0; i < kCount; ++i) {
            if (length[i] != 0 && start[i] == at) {
                used[i] = ++clock;
                return i;
            }
            if (used[i] < used[oldest]) oldest = i;
        }
        const ssize_t got = pread(fd, data[oldest], kSize, static_cast<off_t>(at));
        if (got <= 0) return -1;
        start[oldest] = at;
        length[oldest] = static_cast<unsigned long>(got);
        used[oldest] = ++clock;
        return oldest;
    }
};

unsigned long ReadFace(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                       unsigned long count) {
    auto* blocks = static_cast<FaceBlocks*>(stream->pathname.pointer);
    if (count == 0) return 0;  // a seek: nothing to read
    if (count > FaceBlocks::kSize) {
        const ssize_t got = pread(blocks->fd, buffer, count, static_cast<off_t>(offset));
        return got < 0 ? 0 : static_cast<unsigned long>(got);
    }
    unsigned long done = 0;
    while (done < count) {
        const unsigned long at = offset + done;
        const unsigned long blockStart = at - at % FaceBlocks::kSize;
        const int slot = blocks->Block(blockStart);
        if (slot < 0 || at - blockStart >= blocks->length[slot]) break;
        const unsigned long part = std::min(count - done, blocks->length[slot] - (at - blockStart));
        std::memcpy(buffer + done, blocks->data[slot] + (at - blockStart), part);
        done += part;
    }
    return done;
}

// A face file's stream and its blocks; the face lives as long as the program.
struct FaceFile {
    FT_StreamRec stream{};
    FaceBlocks blocks;
};

}  // namespace

FT_Face OpenFaceStreamed(const char* file, int index) {
    static FT_Library library = nullptr;
    if (library == nullptr && FT_Init_FreeType(&library) != 0) return nullptr;
    const int fd = open(file, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        if (fd >= 0) close(fd);
        return nullptr;
    }
    auto* opened = new FaceFile{};
    opened->blocks.fd = fd;
    FT_StreamRec* stream = &opened->stream;
    stream->descriptor.value = fd;
    stream->pathname.pointer = &opened->blocks;
    stream->size = static_cast<unsigned long>(info.st_size);
    stream->read = ReadFace;
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = stream;
    FT_Face face = nullptr;
    if (FT_Open_Face(library, &args, index, &face) != 0) {
        close(fd);
        delete opened;
        return nullptr;
    }
    return face;
}

// Xft opens a pattern's face from its FC_FILE; with an FC_FT_FACE instead it
// uses that face: one face read through a stream, shared by every font of
// every label. Where the face cannot be opened so, Xft's own way stays.
void UseStreamedFace(FcPattern* pattern) {
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch) return;
    FcPatternGetInteger(pattern, FC_INDEX, 0, &index);
    static std::string openedFile;
    static int openedIndex = -1;
    static FT_Face face = nullptr;
    if (face == nullptr || openedFile != reinterpret_cast<const char*>(file) || openedIndex != index) {
        FT_Face opened = OpenFaceStreamed(reinterpret_cast<const char*>(file), index);
        if (opened == nullptr) return;
        face = opened;  // an earlier face stays: fonts of it may still be open
        openedFile = reinterpret_cast<const char*>(file);
        openedIndex = index;
    }
    FcPatternDel(pattern, FC_FILE);
    FcPatternAddFTFace(pattern, FC_FT_FACE, face);
}

FT_Face SharedFace(const FcPattern* pattern) {
    FT_Face face = nullptr;
    return FcPatternGetFTFace(pattern, FC_FT_FACE, 0, &face) == FcResultMatch ? face : nullptr;
}

}  // namespace kel::x11
