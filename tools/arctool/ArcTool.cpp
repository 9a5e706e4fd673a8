#include "ArcTool.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "files/ArcArchive.h"
#include "files/ArcArchiveBuilder.h"
#include "files/AtomicFileWriter.h"
#include "files/File.h"
#include "files/Lzss.h"
#include "files/LzssEncoder.h"
#include "files/PrintableName.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: arctool list ARCHIVE\n"
                               "       arctool extract ARCHIVE [NAME...] [--decode] [-o DIR]\n"
                               "       arctool create ARCHIVE FILE... [--lzss]\n"
                               "       arctool lzss encode|decode IN OUT\n";

// Decoded entries may be up to this large (the whole script memory).
constexpr size_t kMaxDecoded = 1053124;

// Files to pack or decode: at most what an archive entry can hold.
constexpr uint64_t kMaxInputFile = UINT32_MAX;

bool readFile(const fs::path& path, std::vector<uint8_t>& bytes, std::ostream& err) {
    OpenError error = OpenError::kNone;
    File file = File::openForRead(path, &error);
    if (!file.isOpen()) {
        err << "arctool: cannot open " << path.string()
            << (error == OpenError::kNotRegular ? ": not a regular file" : "") << "\n";
        return false;
    }
    auto size = file.size();
    if (!size) {
        err << "arctool: cannot read " << path.string() << "\n";
        return false;
    }
    if (*size > kMaxInputFile) {
        err << "arctool: " << path.string() << " is too large (more than 4 GiB)\n";
        return false;
    }
    bytes.resize(static_cast<size_t>(*size));
    if (!file.readExact(bytes)) {
        err << "arctool: cannot read " << path.string() << "\n";
        return false;
    }
    return true;
}

// An entry's name as messages and listings show it.
std::string shown(std::string_view name) {
    return printableName(name, NameCharset::kGbk);
}

// Never through a link already in the output's place (see AtomicFileWriter.h); an
// empty entry is an empty file, with no null pointer handed on.
bool writeFile(const fs::path& path, const std::vector<uint8_t>& bytes, std::ostream& err) {
    const WriteOutcome outcome = replaceFileAtomically(path, bytes);
    if (outcome == WriteOutcome::kDone) return true;
    err << "arctool: cannot write " << shown(path.string()) << ": " << writeFailureReason(outcome)
        << "\n";
    return false;
}

bool decode(const std::vector<uint8_t>& coded, std::vector<uint8_t>& plain, std::ostream& err,
            const std::string& what) {
    LzssDecoder decoder;
    plain.assign(kMaxDecoded, 0);
    LzssResult result = decoder.decode(coded, plain);
    if (result.overflow) {
        err << "arctool: " << what << " decodes to more than " << kMaxDecoded << " bytes\n";
        return false;
    }
    plain.resize(result.produced);
    return true;
}

struct Listed {
    std::string name;
    ArcEntry entry;
};

// Every entry's name, size and offset, in stored order.
std::vector<Listed> listEntries(const std::vector<uint8_t>& directory) {
    std::vector<Listed> out;
    for (size_t at = 0; at + ArcArchive::kEntrySize <= directory.size();
         at += ArcArchive::kEntrySize) {
        const uint8_t* e = directory.data() + at;
        std::string name;
        for (size_t k = 0; k < ArcArchive::kNameSize; ++k) {
            uint8_t c = e[k] ^ ArcArchive::kNameMask;
            if (c == 0) break;
            name.push_back(static_cast<char>(c));
        }
        auto le32 = [&](size_t o) {
            return static_cast<uint32_t>(e[o]) | static_cast<uint32_t>(e[o + 1]) << 8 |
                   static_cast<uint32_t>(e[o + 2]) << 16 | static_cast<uint32_t>(e[o + 3]) << 24;
        };
        out.push_back(
            {name, {le32(12) ^ ArcArchive::kSizeMask, le32(16) ^ ArcArchive::kOffsetMask}});
    }
    return out;
}

bool openArchive(const std::string& path, ArcArchive& archive, std::ostream& err) {
    if (!archive.load(File::openForRead(path))) {
        err << "arctool: " << path << " is missing or not an archive (directory cut short)\n";
        return false;
    }
    return true;
}

int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) {
        err << kUsage;
        return 2;
    }
    ArcArchive archive;
    if (!openArchive(args[1], archive, err)) return 1;
    std::vector<uint8_t> directory(archive.directory().begin(), archive.directory().end());
    for (const Listed& l : listEntries(directory)) {
        out << shown(l.name) << "\t" << l.entry.size << "\t" << l.entry.offset << "\n";
    }
    return 0;
}

int extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> names;
    bool decodeEntries = false;
    fs::path outDir = ".";
    std::string archivePath;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--decode") {
            decodeEntries = true;
        } else if (args[i] == "-o" && i + 1 < args.size()) {
            outDir = args[++i];
        } else if (archivePath.empty()) {
            archivePath = args[i];
        } else {
            names.push_back(args[i]);
        }
    }
    if (archivePath.empty()) {
        err << kUsage;
        return 2;
    }
    ArcArchive archive;
    if (!openArchive(archivePath, archive, err)) return 1;
    std::vector<uint8_t> directory(archive.directory().begin(), archive.directory().end());
    std::vector<Listed> entries = listEntries(directory);
    if (names.empty()) {
        for (const Listed& l : entries) names.push_back(l.name);
    }
    auto fileSize = archive.handle().size().value_or(0);
    int status = 0;
    for (std::string name : names) {
        auto entry = archive.lookup(name);
        if (!entry) {
            err << "arctool: " << shown(name) << " is not in " << archivePath << "\n";
            status = 1;
            continue;
        }
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
            err << "arctool: refusing to write an entry named '" << shown(name) << "'\n";
            status = 1;
            continue;
        }
        std::vector<uint8_t> bytes;
        if (uint64_t{entry->offset} + entry->size > fileSize) {
            err << "arctool: " << shown(name) << " lies past the end of " << archivePath << "\n";
            status = 1;
            continue;
        }
        bytes.resize(entry->size);
        if (!archive.handle().seek(entry->offset) || !archive.handle().readExact(bytes)) {
            err << "arctool: cannot read " << shown(name) << "\n";
            status = 1;
            continue;
        }
        if (decodeEntries) {
            std::vector<uint8_t> plain;
            if (!decode(bytes, plain, err, name)) {
                status = 1;
                continue;
            }
            bytes = std::move(plain);
        }
        if (!writeFile(outDir / name, bytes, err)) {
            status = 1;
            continue;
        }
        out << shown(name) << "\n";
    }
    return status;
}

int create(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool coded = false;
    std::vector<std::string> files;
    std::string archivePath;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--lzss") {
            coded = true;
        } else if (archivePath.empty()) {
            archivePath = args[i];
        } else {
            files.push_back(args[i]);
        }
    }
    if (archivePath.empty() || files.empty()) {
        err << kUsage;
        return 2;
    }
    ArcArchiveBuilder builder;
    for (const std::string& path : files) {
        std::string name = fs::path(path).filename().string();
        if (!ArcArchiveBuilder::isValidName(name)) {
            err << "arctool: the name '" << name << "' does not fit an archive entry "
                << "(1 to 12 characters, such as MAIN.MES)\n";
            return 1;
        }
        std::vector<uint8_t> bytes;
        if (!readFile(path, bytes, err)) return 1;
        if (coded) {
            std::vector<uint8_t> stream;
            if (!LzssEncoder().encode(bytes, stream)) {
                err << "arctool: out of memory coding " << path << "\n";
                return 1;
            }
            bytes = std::move(stream);
        }
        if (!builder.add(name, bytes)) {
            err << "arctool: the archive would pass 4 GiB at " << path << "\n";
            return 1;
        }
    }
    if (!writeFile(archivePath, builder.build(), err)) return 1;
    out << builder.count() << " entries written to " << archivePath << "\n";
    return 0;
}

int lzssCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    if (args.size() != 4 || (args[1] != "encode" && args[1] != "decode")) {
        err << kUsage;
        return 2;
    }
    std::vector<uint8_t> in, result;
    if (!readFile(args[2], in, err)) return 1;
    if (args[1] == "encode") {
        if (!LzssEncoder().encode(in, result)) {
            err << "arctool: out of memory\n";
            return 1;
        }
    } else if (!decode(in, result, err, args[2])) {
        return 1;
    }
    return writeFile(args[3], result, err) ? 0 : 1;
}

} // namespace

int runArcTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        if (args.empty()) {
            err << kUsage;
            return 2;
        }
        if (args[0] == "list") return list(args, out, err);
        if (args[0] == "extract") return extract(args, out, err);
        if (args[0] == "create") return create(args, out, err);
        if (args[0] == "lzss") return lzssCommand(args, out, err);
        err << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "arctool: " << e.what() << "\n";
        return 1;
    }
}

} // namespace fer
