// ZIP extraction to real disk, in CPU time: Kestrel's reader (through a POSIX file port) against
// unzip -o -q, 7z x -y and bare zlib, all on the same archive in the same run. The bare peer
// inflates each entry with zlib (raw inflate, 256 KiB pieces), takes its CRC-32 and writes it with
// plain fwrite into the same files (folders made with mkdir); it locates the entries before
// the clock starts. The fastest of several runs on each side. bench/zip.sh makes the archive.
//   zip_bench <archive.zip> <empty work folder>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/posix_file_system.h"
#include "support/fake_machine.h"
#include "zip/zip_directory.h"
#include "zip/zip_extraction.h"
#include "zip/zip_names.h"

namespace {

namespace fs = std::filesystem;
using kestrel::bench::PosixFileSystem;

constexpr int kRuns = 5;

// CPU time (user and system) of this process and its waited-for children: the disk is shared
// with other work, and waiting for its writeback would swamp the differences measured here.
double CpuMs() {
    double ms = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime}) {
            ms += static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
        }
    }
    return ms;
}

// Windows form of a POSIX path: "/tmp/x" is "C:\tmp\x" for the POSIX port.
std::string WindowsPath(const std::string& posix) {
    std::string path = "C:" + posix;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

struct CountErrors : kestrel::ZipEvents {
    int errors = 0;
    void ZipError(int32_t number, const std::string& text) override {
        ++errors;
        std::printf("zip_bench: error %d %s\n", number, text.c_str());
    }
};

bool Kestrel(kestrel::testing::FakeMachine& m, PosixFileSystem& posix, const std::string& zip,
             const std::string& out) {
    kestrel::Context ctx(kestrel::os::Ports{m.env, posix, m.ini, m.debugOut, m.clock, m.wow64,
                                            m.volumes, m.shell, m.system, m.prompts, m.registry,
                                            m.security, m.processes, m.processQuery, m.hives,
                                            m.handles, m.network, m.http});
    CountErrors events;
    kestrel::ZipExtractionClass reader(ctx, events);
    return reader.OpenZip(WindowsPath(zip)) && reader.Extract(WindowsPath(out), true, true) &&
           events.errors == 0;
}

struct Located {
    std::string path;  // below the output folder, "/" separators
    bool folder = false;
    uint64_t offset = 0;
    kestrel::ZipEntry entry;
};

std::vector<Located> Locate(PosixFileSystem& posix, const std::string& zip) {
    std::vector<Located> all;
    std::unique_ptr<kestrel::os::ReadableFile> file;
    kestrel::ZipEndRecord end;
    std::vector<kestrel::ZipEntry> entries;
    std::string problem;
    if (posix.OpenReadable(zip, file) != 0 || !kestrel::FindEndRecord(*file, end) ||
        !kestrel::ReadDirectory(*file, end, entries, problem)) {
        return all;
    }
    for (const kestrel::ZipEntry& e : entries) {
        Located l;
        std::string local;
        const kestrel::ZipName name = kestrel::CheckZipName(e.name, (e.flags & 0x800) != 0);
        if (!name.ok || !kestrel::LocateData(*file, e, l.offset, local, problem)) {
            return {};
        }
        l.path = name.path;
        std::replace(l.path.begin(), l.path.end(), '\\', '/');
        l.folder = name.folder;
        l.entry = e;
        all.push_back(std::move(l));
    }
    return all;
}

bool Bare(const std::string& archive, const std::vector<Located>& entries, const std::string& out) {
    std::FILE* in = std::fopen(archive.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    std::vector<unsigned char> packed;
    std::vector<unsigned char> buffer(256 * 1024);
    bool ok = mkdir(out.c_str(), 0755) == 0;
    for (const Located& l : entries) {
        const std::string target = out + "/" + l.path;
        for (size_t at = target.find('/', out.size() + 1); at != std::string::npos;
             at = target.find('/', at + 1)) {
            mkdir(target.substr(0, at).c_str(), 0755);
        }
        if (l.folder) {
            mkdir(target.c_str(), 0755);
            continue;
        }
        packed.resize(l.entry.compressedSize);
        std::FILE* f = std::fopen(target.c_str(), "wb");
        ok = ok && f != nullptr && std::fseek(in, static_cast<long>(l.offset), SEEK_SET) == 0 &&
             std::fread(packed.data(), 1, packed.size(), in) == packed.size();
        uLong crc = crc32(0, nullptr, 0);
        if (ok && l.entry.method == 0) {
            crc = crc32(crc, packed.data(), static_cast<uInt>(packed.size()));
            ok = std::fwrite(packed.data(), 1, packed.size(), f) == packed.size();
        } else if (ok) {
            z_stream z{};
            inflateInit2(&z, -MAX_WBITS);
            z.next_in = packed.data();
            z.avail_in = static_cast<uInt>(packed.size());
            int status = Z_OK;
            while (ok && status == Z_OK) {
                z.next_out = buffer.data();
                z.avail_out = static_cast<uInt>(buffer.size());
                status = inflate(&z, Z_NO_FLUSH);
                const size_t have = buffer.size() - z.avail_out;
                crc = crc32(crc, buffer.data(), static_cast<uInt>(have));
                ok = std::fwrite(buffer.data(), 1, have, f) == have;
            }
            ok = ok && status == Z_STREAM_END;
            inflateEnd(&z);
        }
        ok = ok && crc == l.entry.crc;
        if (f != nullptr) {
            std::fclose(f);
        }
    }
    std::fclose(in);
    return ok;
}

struct Peer {
    const char* name;
    std::function<bool(const std::string&)> run;
    double best = 1e300;
    bool failed = false;
};

// Round after round, each peer once per round into a fresh folder, with the dirty pages of
// the round before flushed outside the clock so that no peer pays for another's writes.
void Measure(const std::string& work, std::vector<Peer>& peers) {
    const std::string out = work + "/out";
    for (int round = 0; round < kRuns; ++round) {
        for (Peer& peer : peers) {
            fs::remove_all(out);
            sync();
            const double start = CpuMs();
            peer.failed = peer.failed || !peer.run(out);
            const double ms = CpuMs() - start;
            peer.best = std::min(peer.best, ms);
            if (const char* verbose = std::getenv("ZIP_BENCH_VERBOSE"); verbose && *verbose) {
                std::printf("zip_bench: round %d %s %.1f ms\n", round + 1, peer.name, ms);
            }
        }
    }
    fs::remove_all(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: zip_bench <archive.zip> <empty work folder>\n");
        return 2;
    }
    const std::string zip = fs::absolute(argv[1]).string();
    const std::string work = fs::absolute(argv[2]).string();
    kestrel::testing::FakeMachine machine;
    PosixFileSystem posix;
    const std::vector<Located> entries = Locate(posix, zip);
    if (entries.empty()) {
        std::printf("zip_bench: %s has no readable entries\n", zip.c_str());
        return 1;
    }
    std::vector<Peer> peers = {
        {"kestrel",
         [&](const std::string& out) {
             return mkdir(out.c_str(), 0755) == 0 && Kestrel(machine, posix, zip, out);
         }},
        {"unzip",
         [&](const std::string& out) {
             return std::system(("unzip -o -q '" + zip + "' -d '" + out + "'").c_str()) == 0;
         }},
        {"7z",
         [&](const std::string& out) {
             return std::system(("7z x -y -bd '-o" + out + "' '" + zip + "' >/dev/null").c_str()) ==
                    0;
         }},
        {"bare", [&](const std::string& out) { return Bare(zip, entries, out); }},
    };
    Measure(work, peers);
    for (const Peer& peer : peers) {
        if (peer.failed) {
            std::printf("zip_bench: the %s runs failed\n", peer.name);
            return 1;
        }
    }
    const double kestrelMs = peers[0].best;
    const double unzipMs = peers[1].best;
    const double sevenZipMs = peers[2].best;
    const double bareMs = peers[3].best;
    std::printf("zip_extract_entries: %zu\n", entries.size());
    std::printf(
        "zip_extract_kestrel_cpu_ms: %.1f (ratio to unzip: %.2fx, to bare inflate: %.2fx)\n",
        kestrelMs, kestrelMs / unzipMs, kestrelMs / bareMs);
    std::printf("zip_extract_unzip_cpu_ms: %.1f (ratio to bare inflate: %.2fx)\n", unzipMs,
                unzipMs / bareMs);
    std::printf("zip_extract_7z_cpu_ms: %.1f (ratio to unzip: %.2fx)\n", sevenZipMs,
                sevenZipMs / unzipMs);
    std::printf("zip_extract_bare_inflate_fwrite_cpu_ms: %.1f\n", bareMs);
    return 0;
}
