#include "tools/datakit/PackWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Engine/Common/PackScramble.h"
#include "tools/datakit/Bytes.h"

namespace datakit {

namespace {

constexpr u32 trailerDistance = 4108;
constexpr u32 tailBytes = 4096;

struct Dir {
    std::map<std::string, Dir> subdirs;
    std::map<std::string, const PackFile*> files;
    u32 tableOffset = 0; // relative to the table base
};

void PutBe24(std::vector<u8>& out, u32 v)
{
    out.push_back((u8)(v >> 16));
    out.push_back((u8)(v >> 8));
    out.push_back((u8)v);
}

void SetBe24(std::vector<u8>& out, size_t at, u32 v)
{
    out[at] = (u8)(v >> 16);
    out[at + 1] = (u8)(v >> 8);
    out[at + 2] = (u8)v;
}

bool Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

bool Check(const Dir& dir, const std::string& where, std::string* error)
{
    if (dir.files.size() > 255 || dir.subdirs.size() > 255)
        return Fail(error, "more than 255 files or subdirectories in " + where);
    for (const auto& [name, file] : dir.files)
        if (name.size() > 246)
            return Fail(error, "file name too long: " + name);
    for (const auto& [name, sub] : dir.subdirs) {
        if (name.size() > 511)
            return Fail(error, "directory name too long: " + name);
        if (!Check(sub, where + name + "/", error))
            return false;
    }
    return true;
}

// File tables, depth first; records each directory's table offset from the base.
void WriteTables(Dir& dir, std::vector<u8>& out, u32 base, const std::string& prefix,
                 const std::map<const PackFile*, u32>& dataAt, PackLayout* layout)
{
    dir.tableOffset = (u32)out.size() - base;
    for (const auto& [name, file] : dir.files) {
        if (layout)
            layout->fileEntries[prefix + name] = (u32)out.size();
        out.push_back((u8)(name.size() + 9));
        out.insert(out.end(), name.begin(), name.end());
        out.push_back(0);
        PutBe32(out, dataAt.at(file));
        PutBe24(out, (u32)file->bytes.size());
    }
    for (auto& [name, sub] : dir.subdirs)
        WriteTables(sub, out, base, prefix + name + "/", dataAt, layout);
}

bool WriteNode(const Dir& dir, std::vector<u8>& out, u32 root, u32 parent, std::string* error)
{
    const u32 node = (u32)out.size();
    PutBe24(out, dir.tableOffset);
    out.push_back((u8)dir.files.size());
    PutBe32(out, parent - root);
    out.push_back((u8)dir.subdirs.size());
    for (const auto& [name, sub] : dir.subdirs) {
        const size_t entry = out.size();
        PutBe24(out, 0);
        out.insert(out.end(), name.begin(), name.end());
        out.push_back(0);
        if (!WriteNode(sub, out, root, node, error))
            return false;
        const size_t size = out.size() - entry;
        if (size >= (1u << 24))
            return Fail(error, "directory tree too large under " + name);
        SetBe24(out, entry, (u32)size);
    }
    return true;
}

} // namespace

bool MakePack(const std::vector<PackFile>& files, std::vector<u8>* pack, std::string* error, u32 seed,
              PackLayout* layout)
{
    Dir root;
    for (const PackFile& file : files) {
        if (file.bytes.size() >= (1u << 24))
            return Fail(error, "file of 16 MiB or more: " + file.path);
        Dir* dir = &root;
        size_t start = 0;
        for (size_t slash; (slash = file.path.find('/', start)) != std::string::npos; start = slash + 1)
            if (slash > start)
                dir = &dir->subdirs[file.path.substr(start, slash - start)];
        dir->files[file.path.substr(start)] = &file;
    }
    if (!Check(root, "/", error))
        return false;

    // A few bytes of nothing first, so no offset in the pack is 0 by accident.
    std::vector<u8> out(16, 0);
    std::map<const PackFile*, u32> dataAt;
    for (const PackFile& file : files) {
        dataAt[&file] = (u32)out.size();
        if (layout)
            layout->fileData[file.path] = (u32)out.size();
        out.insert(out.end(), file.bytes.begin(), file.bytes.end());
    }
    const u32 base = (u32)out.size();
    WriteTables(root, out, base, "", dataAt, layout);
    if (out.size() - base >= (1u << 24))
        return Fail(error, "file tables too large");
    const u32 rootOffset = (u32)out.size();
    if (!WriteNode(root, out, rootOffset, rootOffset, error))
        return false;

    const u32 trailer = (u32)out.size();
    for (int k = 0; k < 4; ++k) {
        const int shift = 24 - 8 * k;
        out.push_back((u8)(seed >> shift));
        out.push_back((u8)(rootOffset >> shift));
        out.push_back((u8)(base >> shift));
    }
    out.resize(out.size() + tailBytes, 0);

    u8 table[16];
    BuildScrambleTable(seed, table);
    for (u32 p = 0; p < (u32)out.size(); ++p) {
        const bool seedByte = p >= trailer && p < trailer + 12 && (p - trailer) % 3 == 0;
        if (!seedByte)
            out[p] ^= ScrambleKey(table, p);
    }
    if (layout) {
        layout->rootOffset = rootOffset;
        layout->tableBase = base;
    }
    *pack = std::move(out);
    return true;
}

void PokePackByte(std::vector<u8>& pack, u32 offset, u8 plain)
{
    const u32 trailer = (u32)pack.size() - trailerDistance;
    u32 seed = 0;
    for (u32 k = 0; k < 4; ++k)
        seed = seed << 8 | pack[trailer + 3 * k];
    u8 table[16];
    BuildScrambleTable(seed, table);
    pack[offset] = plain ^ ScrambleKey(table, offset);
}

bool PackFolder(const std::string& folder, const std::string& prefix, const std::string& outPath)
{
    namespace fs = std::filesystem;
    std::vector<PackFile> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file())
            continue;
        std::ifstream in(it->path(), std::ios::binary);
        PackFile file;
        file.path = prefix + fs::relative(it->path(), folder).generic_string();
        file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        files.push_back(std::move(file));
    }
    if (ec) {
        fprintf(stderr, "datakit: cannot read %s: %s\n", folder.c_str(), ec.message().c_str());
        return false;
    }
    std::sort(files.begin(), files.end(), [](const PackFile& a, const PackFile& b) { return a.path < b.path; });
    std::vector<u8> pack;
    std::string error;
    if (!MakePack(files, &pack, &error)) {
        fprintf(stderr, "datakit: cannot pack %s: %s\n", folder.c_str(), error.c_str());
        return false;
    }
    if (!WriteFile(outPath, pack)) {
        fprintf(stderr, "datakit: cannot write %s\n", outPath.c_str());
        return false;
    }
    return true;
}

} // namespace datakit
