// Runs a fuzz target without libFuzzer: every file of the given corpus folders, then a fixed
// number of seeded mutations of them. Any compiler builds it, so every CI run exercises every
// target, under the sanitizers when the build has them.
//
//   fuzz_<name> [--mutations=N] [--seed=S] <file or folder>...
//
// A failing input is written to crash-<name>-<index> in the working folder (and shown in hex)
// before the process aborts, so it can be replayed alone or added to the corpus.

// std
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// system
#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kMaxLength = 4096;

// The input being run, for the abort handler.
const Bytes* g_current = nullptr;
char g_crashPath[512] = "crash-replay";

void WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n <= 0)
            return;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

// Only async-signal-safe calls: the process is about to die with the input that killed it.
extern "C" void OnAbort(int signal)
{
    if (g_current != nullptr) {
        const int fd = ::open(g_crashPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            WriteAll(fd, g_current->data(), g_current->size());
            ::close(fd);
        }
        static const char kHex[] = "0123456789abcdef";
        WriteAll(2, "failing input: ", 15);
        WriteAll(2, g_crashPath, std::strlen(g_crashPath));
        WriteAll(2, "\n", 1);
        for (std::size_t i = 0; i < g_current->size() && i < 1024; ++i) {
            const char hex[3] = {kHex[(*g_current)[i] >> 4], kHex[(*g_current)[i] & 15], ' '};
            WriteAll(2, hex, 3);
        }
        WriteAll(2, "\n", 1);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void Run(const Bytes& input, const std::string& name)
{
    std::snprintf(g_crashPath, sizeof g_crashPath, "crash-%s", name.c_str());
    g_current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    g_current = nullptr;
}

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The kinds of change libFuzzer makes most often, enough to leave the seeds' beaten paths.
Bytes Mutate(const std::vector<Bytes>& corpus, std::mt19937& random)
{
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : random() % n; };
    static constexpr std::uint8_t kInteresting[] = {0x00, 0x01, 0x05, 0x06, 0x11, 0x20, 0x7F,
                                                    0x80, 0xFF, 'W',  'R',  'K',  ',',  '.',
                                                    'N',  'I',  '0',  '9',  '-',  ' '};
    Bytes out = corpus[pick(corpus.size())];
    const int changes = 1 + static_cast<int>(pick(4));
    for (int c = 0; c < changes; ++c) {
        switch (pick(8)) {
        case 0:
            if (!out.empty())
                out[pick(out.size())] ^= static_cast<std::uint8_t>(1u << pick(8));
            break;
        case 1:
            if (!out.empty())
                out[pick(out.size())] = static_cast<std::uint8_t>(random());
            break;
        case 2:
            if (!out.empty())
                out[pick(out.size())] = kInteresting[pick(std::size(kInteresting))];
            break;
        case 3:
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(pick(out.size() + 1)),
                       kInteresting[pick(std::size(kInteresting))]);
            break;
        case 4:
            if (!out.empty())
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(pick(out.size())));
            break;
        case 5:
            out.resize(pick(out.size() + 1));
            break;
        case 6: { // splice: a piece of another input over this one
            const Bytes& other = corpus[pick(corpus.size())];
            if (other.empty())
                break;
            const std::size_t from = pick(other.size());
            const std::size_t length = 1 + pick(other.size() - from);
            const std::size_t to = pick(out.size() + 1);
            if (out.size() < to + length)
                out.resize(to + length);
            std::copy_n(other.begin() + static_cast<std::ptrdiff_t>(from), length,
                        out.begin() + static_cast<std::ptrdiff_t>(to));
            break;
        }
        default: { // repeat a piece
            if (out.empty())
                break;
            const std::size_t from = pick(out.size());
            const std::size_t length = 1 + pick(std::min<std::size_t>(out.size() - from, 16));
            const Bytes piece(out.begin() + static_cast<std::ptrdiff_t>(from),
                              out.begin() + static_cast<std::ptrdiff_t>(from + length));
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(pick(out.size() + 1)),
                       piece.begin(), piece.end());
            break;
        }
        }
    }
    if (out.size() > kMaxLength)
        out.resize(kMaxLength);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    long mutations = 0;
    unsigned seed = 1;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--mutations=", 0) == 0) {
            mutations = std::strtol(arg.c_str() + 12, nullptr, 10);
        } else if (arg.rfind("--seed=", 0) == 0) {
            seed = static_cast<unsigned>(std::strtoul(arg.c_str() + 7, nullptr, 10));
        } else if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            }
        } else if (std::filesystem::is_regular_file(arg)) {
            files.emplace_back(arg);
        } else {
            std::fprintf(stderr, "%s: no such file or folder: %s\n", argv[0], arg.c_str());
            return 2;
        }
    }
    // Sorted, so that a seeded run mutates the same inputs in the same order everywhere.
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "%s: no inputs (give corpus files or folders)\n", argv[0]);
        return 2;
    }
    std::signal(SIGABRT, OnAbort);

    std::vector<Bytes> corpus;
    for (const auto& file : files) {
        corpus.push_back(ReadFile(file));
        Run(corpus.back(), "replay-" + file.filename().string());
    }
    std::mt19937 random(seed);
    for (long m = 0; m < mutations; ++m)
        Run(Mutate(corpus, random), "mutation-" + std::to_string(seed) + "-" + std::to_string(m));
    std::printf("%zu corpus inputs and %ld mutations (seed %u) passed\n", corpus.size(), mutations,
                seed);
    return 0;
}
