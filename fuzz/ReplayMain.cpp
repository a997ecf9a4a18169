// A harness without libFuzzer: every seed, then a fixed number of mutated inputs made from the
// seeds by a seeded generator, so a run is the same on every machine and every failure can be
// run again. The test builds run it under their sanitizers; scripts/fuzz does the
// coverage-guided search with clang.
//
//   replay_NAME [--runs N] [--option-byte] [--keep DIR] SEED...
//
// A SEED is a file or a folder of files. --option-byte puts a byte in front of each seed, for
// harnesses whose first byte picks an option. On a crash the input is written to DIR (default:
// the working folder) and its name printed.
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

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TERVO_REPLAY_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TERVO_REPLAY_ASAN 1
#endif
#ifdef TERVO_REPLAY_ASAN
extern "C" void __sanitizer_set_death_callback(void (*callback)());
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

// What is running now, for the crash report; written only from the main flow.
const Bytes *gInput = nullptr;
char gWhat[512] = "";
char gKeep[4096] = "crash-input";

// Only async-signal-safe calls: the report may come from a signal handler.
void reportCrash()
{
    static volatile std::sig_atomic_t reported = 0;
    if (reported || gInput == nullptr)
        return;
    reported = 1;
    const int fd = ::open(gKeep, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        if (!gInput->empty())
            (void)!::write(fd, gInput->data(), gInput->size());
        ::close(fd);
    }
    const char *parts[] = {"\nreplay: failed on ", gWhat, "; the input is in ", gKeep, "\n"};
    for (const char *p : parts)
        (void)!::write(2, p, std::strlen(p));
}

[[maybe_unused]] void onSignal(int sig)
{
    reportCrash();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

Bytes readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The byte strings readers of numbers and tables stumble on most.
const std::vector<std::string> kTokens = {"0",
                                          "-1",
                                          "1e308",
                                          "1e-320",
                                          "nan",
                                          "inf",
                                          ".",
                                          ",",
                                          "-",
                                          "+",
                                          "e",
                                          "E",
                                          "\n",
                                          "\r\n",
                                          "\r",
                                          "\t",
                                          ";",
                                          " ",
                                          "\"",
                                          "=",
                                          ":",
                                          "[",
                                          "]",
                                          "\xef\xbb\xbf",
                                          "#",
                                          "99999",
                                          "-0",
                                          "0x1p3",
                                          std::string("\0", 1),
                                          "1,5",
                                          "2147483648",
                                          "-2147483649",
                                          "1e9999"};

Bytes mutate(Bytes in, const std::vector<Bytes> &seeds, std::mt19937_64 &rng)
{
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng() % n); };
    const int steps = 1 + static_cast<int>(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        const std::size_t at = pick(in.size() + 1);
        switch (rng() % 8) {
        case 0: // flip a bit
            if (!in.empty())
                in[pick(in.size())] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
            break;
        case 1: // any byte
            if (!in.empty())
                in[pick(in.size())] = static_cast<std::uint8_t>(rng());
            break;
        case 2: { // a token in
            const std::string &t = kTokens[pick(kTokens.size())];
            in.insert(in.begin() + static_cast<std::ptrdiff_t>(at), t.begin(), t.end());
            break;
        }
        case 3: { // a stretch out
            const std::size_t len = std::min(in.size() - std::min(at, in.size()), 1 + pick(64));
            in.erase(in.begin() + static_cast<std::ptrdiff_t>(at),
                     in.begin() + static_cast<std::ptrdiff_t>(at + len));
            break;
        }
        case 4: { // a stretch twice
            const std::size_t len = std::min(in.size() - std::min(at, in.size()), 1 + pick(256));
            const Bytes copy(in.begin() + static_cast<std::ptrdiff_t>(at),
                             in.begin() + static_cast<std::ptrdiff_t>(at + len));
            in.insert(in.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
            break;
        }
        case 5: // cut short
            in.resize(at);
            break;
        case 6: { // the front of this one and the back of another
            const Bytes &other = seeds[pick(seeds.size())];
            const std::size_t from = pick(other.size() + 1);
            in.resize(at);
            in.insert(in.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
            break;
        }
        default: // a digit changed, since most inputs are tables of numbers
            for (std::size_t i = at; i < in.size(); ++i)
                if (in[i] >= '0' && in[i] <= '9') {
                    in[i] = static_cast<std::uint8_t>('0' + rng() % 10);
                    break;
                }
            break;
        }
        if (in.size() > (1u << 20))
            in.resize(1u << 20);
    }
    return in;
}

void run(const Bytes &input, const std::string &what)
{
    gInput = &input;
    std::snprintf(gWhat, sizeof gWhat, "%s", what.c_str());
    LLVMFuzzerTestOneInput(input.data(), input.size());
    gInput = nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    long runs = 2000;
    bool optionByte = false;
    std::string keepDir = ".";
    std::vector<std::filesystem::path> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) {
            runs = std::strtol(argv[++i], nullptr, 10);
        } else if (a == "--option-byte") {
            optionByte = true;
        } else if (a == "--keep" && i + 1 < argc) {
            keepDir = argv[++i];
        } else if (a.starts_with("--")) {
            std::fprintf(stderr, "replay: unknown option %s\n", a.c_str());
            return 2;
        } else {
            paths.emplace_back(a);
        }
    }

    std::vector<Bytes> seeds;
    std::vector<std::string> names;
    for (const auto &p : paths) {
        std::vector<std::filesystem::path> files;
        std::error_code ec;
        if (std::filesystem::is_directory(p, ec)) {
            for (const auto &e : std::filesystem::directory_iterator(p, ec))
                if (e.is_regular_file())
                    files.push_back(e.path());
            std::sort(files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(p, ec)) {
            files.push_back(p);
        } else {
            std::fprintf(stderr, "replay: no seed at %s\n", p.c_str());
            return 2;
        }
        for (const auto &f : files) {
            Bytes b = readFile(f);
            if (optionByte)
                b.insert(b.begin(), 1);
            seeds.push_back(std::move(b));
            names.push_back(f.string());
        }
    }
    // Without seeds the generator starts from short random strings.
    std::mt19937_64 rng(20261209);
    if (seeds.empty())
        for (int i = 0; i < 16; ++i) {
            Bytes b(1 + rng() % 40);
            for (auto &c : b)
                c = static_cast<std::uint8_t>(rng());
            seeds.push_back(std::move(b));
            names.push_back("generated input " + std::to_string(i));
        }

    const std::string keep =
        keepDir + "/crash-" + std::filesystem::path(argv[0]).filename().string();
    std::snprintf(gKeep, sizeof gKeep, "%s", keep.c_str());
#ifdef TERVO_REPLAY_ASAN
    // The sanitizer's own handlers give the report; this only adds the input.
    __sanitizer_set_death_callback(reportCrash);
#else
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL})
        std::signal(sig, onSignal);
#endif

    run(Bytes(), "the empty input");
    for (std::size_t i = 0; i < seeds.size(); ++i)
        run(seeds[i], names[i]);
    for (long r = 0; r < runs; ++r) {
        const std::size_t from = static_cast<std::size_t>(r) % seeds.size();
        run(mutate(seeds[from], seeds, rng),
            "mutation " + std::to_string(r + 1) + " (of " + names[from] + ")");
    }
    std::printf("replay: %zu seeds and %ld mutations passed\n", seeds.size(), runs);
    return 0;
}
