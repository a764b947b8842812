// vorlend-cli as a user runs it: the real binary as a child process, against simulated radios
// on pseudo-terminals that VORLEND_SERIAL_PORTS points it at.
#include "cli/CliTexts.h"
#include "file/CsvFile.h"
#include "file/KtFile.h"
#include "link/RadioSession.h"
#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "model/SettingsMapping.h"
#include "tests/support/PtyPeer.h"
#include "tools/simradio/SimRadio.h"

#include <gtest/gtest.h>

// std
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// system
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The program, started with its output on pipes.
class CCliProcess
{
public:
    CCliProcess(const std::vector<std::string>& args, const std::string& ports)
    {
        int out[2];
        int err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        std::vector<std::string> argv{VORLEND_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp;
        for (std::string& arg : argv)
            argp.push_back(arg.data());
        argp.push_back(nullptr);
        // The environment but for the ports and the locale: '.' as the decimal separator.
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("VORLEND_SERIAL_PORTS=", 0) != 0 && entry.rfind("LC_", 0) != 0 &&
                entry.rfind("LANG=", 0) != 0)
                env.push_back(entry);
        }
        env.push_back("VORLEND_SERIAL_PORTS=" + ports);
        env.push_back("LC_ALL=C.UTF-8");
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, argp[0], &actions, nullptr, argp.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~CCliProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
        close(m_err);
    }
    CCliProcess(const CCliProcess&) = delete;
    CCliProcess& operator=(const CCliProcess&) = delete;

    // The next line of stdout (without its end); empty when none came in time.
    std::string ReadLine(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (const auto end = m_outText.find('\n', m_taken); end != std::string::npos) {
                std::string line = m_outText.substr(m_taken, end - m_taken);
                m_taken = end + 1;
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left <= 0ms || !Pump(static_cast<int>(left.count())))
                return {};
        }
    }
    void Interrupt() { kill(m_pid, SIGINT); }
    // Waits for the end; the exit code, or -1 when it did not exit by itself within `timeout`
    // (it is killed then).
    int Wait(std::chrono::milliseconds timeout = 20s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left <= 0ms || !Pump(static_cast<int>(left.count())))
                break;
        }
        if (m_pid > 0 && (m_outOpen || m_errOpen))
            kill(m_pid, SIGKILL);
        int status = 0;
        if (m_pid <= 0 || waitpid(m_pid, &status, 0) != m_pid)
            return -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() const { return m_outText.substr(m_taken); }
    const std::string& Err() const { return m_errText; }

private:
    // Takes what either pipe has; false once both have ended (or on time-out).
    bool Pump(int timeoutMs)
    {
        pollfd fds[2] = {{m_outOpen ? m_out : -1, POLLIN, 0}, {m_errOpen ? m_err : -1, POLLIN, 0}};
        if (!m_outOpen && !m_errOpen)
            return false;
        const int ready = poll(fds, 2, timeoutMs);
        if (ready < 0 && errno == EINTR)
            return true;
        if (ready <= 0)
            return false;
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0)
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0)
                (i == 0 ? m_outText : m_errText).append(buffer, static_cast<std::size_t>(n));
            else
                (i == 0 ? m_outOpen : m_errOpen) = false;
        }
        return true;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    bool m_outOpen = true;
    bool m_errOpen = true;
    std::string m_outText;
    std::size_t m_taken = 0;
    std::string m_errText;
};

struct Result
{
    int code = -1;
    std::string out;
    std::string err;
};

Result RunCli(const std::vector<std::string>& args, const std::string& ports = "")
{
    CCliProcess process(args, ports);
    Result result;
    result.code = process.Wait();
    result.out = process.Out();
    result.err = process.Err();
    return result;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<std::uint8_t> FileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const void* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary)
        .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteKt(const fs::path& path, const RadioImage& image)
{
    const KtFileBytes bytes = EncodeKtFile(image);
    WriteBytes(path, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> KtBytes(const RadioImage& image)
{
    const KtFileBytes bytes = EncodeKtFile(image);
    return {bytes.begin(), bytes.end()};
}

// A simulated radio that the line's path (a symlink, as vorlend-simradio --link makes it)
// leads to; replacing one radio by another keeps the path.
std::unique_ptr<CSimRadio> StartRadio(const fs::path& link, const RadioImage& image,
                                      bool realPacing = false, const char* fault = nullptr)
{
    auto radio = std::make_unique<CSimRadio>(image);
    if (!realPacing)
        radio->SetByteTime(0us);
    if (fault != nullptr)
        radio->SetFault(*ParseSimFault(fault));
    if (!radio->Start())
        return nullptr;
    const fs::path temporary = link.string() + ".new";
    fs::remove(temporary);
    fs::create_symlink(radio->SlavePath(), temporary);
    fs::rename(temporary, link); // at once: the path never dangles
    return radio;
}

// The image the window holds after a read of `image`, and so what a saved file holds.
RadioImage Shown(const RadioImage& image)
{
    return ShownImage(image);
}

// Another plan than the simulated radio's: other frequencies, codes and settings.
RadioImage OtherImage()
{
    RadioImage image = CSimRadioCore::DefaultImage();
    for (int i = 0; i < kChannelCount; ++i) {
        ChannelRecord& record = image.channels[static_cast<std::size_t>(i)];
        record.setRxHz(static_cast<std::uint32_t>(433075000 + 25000 * i));
        record.setTxHz(static_cast<std::uint32_t>(433075000 + 25000 * i));
        record.setRxTone(static_cast<std::uint16_t>(885 + i));
        record.bytes[20] = static_cast<std::uint8_t>(0x11 * i);
    }
    image.settings.bytes[SettingsRecord::Offset::TimeOut] = 180;
    image.settings.bytes[SettingsRecord::Offset::SquelchLevel] = 2;
    return Shown(image);
}

class Cli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The child runs in C.UTF-8: the texts compared here use its separator.
        ApplyDecimalSeparator('.');
        m_dir = fs::temp_directory_path() /
                ("vorlend-cli-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        fs::remove_all(m_dir);
        ApplyDecimalSeparator(',');
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

TEST_F(Cli, ReadAndWriteAreByteExactThroughAnFtdiAdapter)
{
    const RadioImage original = CSimRadioCore::DefaultImage();
    auto radio = StartRadio(Path("radio"), original, true);
    ASSERT_TRUE(radio);
    radio->SetAdapter(*ParseSimAdapter("ftdi"));

    // Read into each kind of file; the port named, then found by the probe.
    const Result kt = RunCli({"read", "--port", Path("radio"), Path("read.kt")});
    EXPECT_EQ(kt.code, 0) << kt.err;
    EXPECT_EQ(kt.out, std::string(Texts::kReadDone) + "\n"); // the result alone on a pipe
    EXPECT_EQ(FileBytes(Path("read.kt")), KtBytes(Shown(original)));
    const Result csv = RunCli({"read", Path("read.csv")}, Path("radio"));
    EXPECT_EQ(csv.code, 0) << csv.err;
    const std::vector<std::uint8_t> csvBytes = FileBytes(Path("read.csv"));
    const CsvImportResult imported = ImportCsv(
        {reinterpret_cast<const char*>(csvBytes.data()), csvBytes.size()}, Shown(original));
    ASSERT_TRUE(imported.image) << FormatCsvProblems(imported.problems);
    EXPECT_EQ(*imported.image, Shown(original));
    EXPECT_EQ(std::string(csvBytes.begin(), csvBytes.end()),
              ExportCsv(Shown(original), CsvStyleForHeldSeparator()));

    // Write another plan and read it back.
    const RadioImage other = OtherImage();
    WriteKt(Path("other.kt"), other);
    const Result write = RunCli({"write", "--port", Path("radio"), "--verify", Path("other.kt")});
    EXPECT_EQ(write.code, 0) << write.err;
    EXPECT_EQ(write.out, std::string(Texts::kWriteDone) + "\n" + Texts::kNoDifferences + "\n");
    EXPECT_EQ(radio->Image(), other);
}

TEST_F(Cli, VerifyListsEachDifferenceAndExitsOne)
{
    const RadioImage original = Shown(CSimRadioCore::DefaultImage());
    auto radio = StartRadio(Path("radio"), original);
    ASSERT_TRUE(radio);
    WriteKt(Path("same.kt"), original);
    const Result same = RunCli({"verify", Path("same.kt")}, Path("radio"));
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, std::string(Texts::kNoDifferences) + "\n");

    RadioImage changed = original;
    changed.channels[6].setRxHz(446500000); // channel 7's receive frequency
    changed.channels[2].bytes[20] ^= 0x80;  // a byte of channel 3 that the grid does not show
    changed.settings.bytes[SettingsRecord::Offset::TimeOut] = 60;
    WriteKt(Path("changed.kt"), changed);
    const Result differ = RunCli({"verify", Path("changed.kt")}, Path("radio"));
    EXPECT_EQ(differ.code, 1) << differ.err;
    const std::string rx(ChannelColumnTitles()[kColRxFreq]);
    char hidden[64];
    std::snprintf(hidden, sizeof hidden, "в файле 0x%02X, в трансивере 0x%02X",
                  changed.channels[2].bytes[20], original.channels[2].bytes[20]);
    EXPECT_EQ(differ.out,
              std::string("Канал 3, байт записи 20: ") + hidden + "\n" + "Канал 7, «" + rx +
                  "»: в файле " + CellTextFromRecord(changed.channels[6], kColRxFreq) +
                  ", в трансивере " + CellTextFromRecord(original.channels[6], kColRxFreq) + "\n" +
                  "Настройка «Таймер TOT»: в файле 60, в трансивере 120\n" +
                  "Найдено различий: 3.\n");
    EXPECT_EQ(radio->Image(), original); // a verify only reads
}

TEST_F(Cli, ConvertRoundTripsShowsAndRefusesBadFilesAndUsage)
{
    // A plan as a CSV gives it on a fresh grid: the bytes a CSV does not carry are the grid's.
    const RadioImage fresh = GridImage(DefaultChannelRecords(), DefaultSelections());
    const CsvImportResult plan = ImportCsv(ExportCsv(OtherImage(), CsvStyle::Comma), fresh);
    ASSERT_TRUE(plan.image);
    WriteKt(Path("plan.kt"), *plan.image);
    EXPECT_EQ(RunCli({"convert", Path("plan.kt"), Path("plan.csv")}).code, 0);
    EXPECT_EQ(RunCli({"convert", Path("plan.csv"), Path("back.kt")}).code, 0);
    EXPECT_EQ(FileBytes(Path("back.kt")), FileBytes(Path("plan.kt")));
    EXPECT_EQ(RunCli({"convert", Path("back.kt"), Path("back.csv")}).code, 0);
    EXPECT_EQ(FileBytes(Path("back.csv")), FileBytes(Path("plan.csv")));

    const Result show = RunCli({"show", Path("plan.csv")});
    EXPECT_EQ(show.code, 0) << show.err;
    const auto rows = [&] {
        std::vector<std::string> lines;
        std::size_t at = 0;
        for (std::size_t end; (end = show.out.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(show.out.substr(at, end - at));
        return lines;
    }();
    ASSERT_EQ(rows.size(), 1u + 16u + 2u + 7u);
    EXPECT_EQ(rows[0].rfind(ChannelColumnTitles()[0], 0), 0u);
    for (int row = 0; row < kChannelCount; ++row) {
        for (int column = kColRxFreq; column < kColumnCount; ++column)
            EXPECT_TRUE(
                Contains(rows[1 + row], CellTextFromRecord(plan.image->channels[row], column)))
                << rows[1 + row];
    }
    EXPECT_EQ(rows[18], Texts::kSettingsHeading);
    EXPECT_EQ(rows[19], "Таймер TOT: 180");
    EXPECT_EQ(rows[20], "Уровень SQ: 2");

    // A damaged file: exit 2, the window's message, and the radio is not even asked.
    auto radio = StartRadio(Path("radio"), CSimRadioCore::DefaultImage());
    ASSERT_TRUE(radio);
    KtFileBytes damaged = EncodeKtFile(OtherImage());
    damaged[100] ^= 0x04;
    WriteBytes(Path("damaged.kt"), damaged.data(), damaged.size());
    const Result crc =
        RunCli({"write", "--port", Path("radio"), Path("damaged.kt")}, Path("radio"));
    EXPECT_EQ(crc.code, 2);
    EXPECT_EQ(crc.err, std::string(Texts::kBadFileCrc) + "\n");
    damaged[0] = 'X';
    WriteBytes(Path("foreign.kt"), damaged.data(), damaged.size());
    const Result format = RunCli({"verify", Path("foreign.kt")}, Path("radio"));
    EXPECT_EQ(format.code, 2);
    EXPECT_EQ(format.err, std::string(Texts::kBadFileFormat) + "\n");
    const std::string badCsv = "garbage;\"unterminated\n";
    WriteBytes(Path("bad.csv"), badCsv.data(), badCsv.size());
    const Result csv = RunCli({"write", Path("bad.csv")}, Path("radio"));
    EXPECT_EQ(csv.code, 2);
    EXPECT_EQ(csv.err.rfind(Texts::kCsvNotImported, 0), 0u) << csv.err;
    EXPECT_EQ(RunCli({"show", Path("missing.kt")}).code, 2);
    EXPECT_EQ(RunCli({"read", Path("plan.txt")}, Path("radio")).code, 2);
    EXPECT_EQ(radio->BytesIn(), 0u);

    // Usage errors exit 2; help exits 0.
    EXPECT_EQ(RunCli({}).code, 2);
    EXPECT_EQ(RunCli({"read"}).code, 2);
    EXPECT_EQ(RunCli({"write", "--count", "3", Path("plan.kt")}).code, 2);
    EXPECT_EQ(RunCli({"write", "--each", "--port", Path("radio"), Path("plan.kt")}).code, 2);
    EXPECT_EQ(RunCli({"frobnicate"}).code, 2);
    const Result help = RunCli({"write", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(Contains(help.out, "--each")) << help.out;
    EXPECT_EQ(radio->BytesIn(), 0u);
}

TEST_F(Cli, PortsMarkTheRadioAndSilentPortsExitOne)
{
    auto radio = StartRadio(Path("radio"), CSimRadioCore::DefaultImage());
    ASSERT_TRUE(radio);
    CPtyPeer silent;
    ASSERT_FALSE(silent.SlavePath().empty());
    const std::string both = silent.SlavePath() + ":" + Path("radio");

    const Result ports = RunCli({"ports"}, both);
    EXPECT_EQ(ports.code, 0) << ports.err;
    EXPECT_TRUE(Contains(ports.out, Path("radio") + "\t\t" + Texts::kRadioAnswers + "\n"))
        << ports.out;
    EXPECT_TRUE(Contains(ports.out, silent.SlavePath() + "\t\n")) << ports.out;

    // The radio is found past the silent port.
    const Result found = RunCli({"read", Path("found.kt")}, both);
    EXPECT_EQ(found.code, 0) << found.err;

    // A silent port named: the window's no-answer message.
    const Result timedOut = RunCli({"read", "--port", silent.SlavePath(), Path("silent.kt")});
    EXPECT_EQ(timedOut.code, 1);
    EXPECT_EQ(timedOut.err, std::string(Texts::kCheckCable) + "\n");
    EXPECT_FALSE(fs::exists(Path("silent.kt")));
    // No port answers.
    const Result none = RunCli({"write", Path("found.kt")}, silent.SlavePath());
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, std::string(Texts::kNoRadioOnAnyPort) + "\n" + Texts::kCheckCable + "\n");
    // A port that is not there.
    const Result missing = RunCli({"verify", "--port", Path("nothing"), Path("found.kt")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err,
              PortOpenFailureText(PortOpenError::NotFound) + "\n" + Texts::kVerifyFailed + "\n");
}

TEST_F(Cli, EachWritesEveryRadioOnceAsItAnswers)
{
    const RadioImage plan = OtherImage();
    WriteKt(Path("plan.kt"), plan);
    std::atomic<int> writes[4] = {};
    std::unique_ptr<CSimRadio> radios[4];
    const auto start = [&](int n, const std::string& link) {
        radios[n] = StartRadio(Path(link), CSimRadioCore::DefaultImage());
        ASSERT_TRUE(radios[n]);
        radios[n]->SetOnWriteComplete([&writes, n] { ++writes[n]; });
    };
    start(0, "a");
    // Adapter "b" is not plugged in yet: the listed path does not exist.
    CCliProcess cli({"write", "--each", "--count", "4", Path("plan.kt")},
                    Path("a") + ":" + Path("b"));
    const auto expectLine = [&](int number, const std::string& link) {
        const std::string line = cli.ReadLine(15s);
        EXPECT_EQ(line.rfind("Трансивер " + std::to_string(number) + ", " + Path(link) + ": " +
                                 Texts::kWriteDone + " " + Texts::kVerified + " (",
                             0),
                  0u)
            << line << "\n"
            << cli.Err();
    };
    expectLine(1, "a");
    // The same radio stays: it is not written again. Then it is swapped for another.
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(writes[0].load(), 1);
    start(1, "a");
    radios[0].reset();
    expectLine(2, "a");
    // A new adapter, while the second radio is still on the first one.
    start(2, "b");
    expectLine(3, "b");
    // The cable of adapter b is moved to a fresh radio, with a pause between.
    EXPECT_EQ(radios[2]->Image(), plan);
    fs::remove(Path("b"));
    radios[2].reset();
    std::this_thread::sleep_for(700ms);
    start(3, "b");
    expectLine(4, "b");
    EXPECT_EQ(cli.ReadLine(5s), "Итого трансиверов: 4, успешно: 4, с ошибками: 0.");
    EXPECT_EQ(cli.Wait(), 0);
    EXPECT_EQ(writes[0].load(), 1);
    for (int n = 1; n < 4; ++n)
        EXPECT_EQ(writes[n].load(), 1) << n;
    EXPECT_EQ(radios[1]->Image(), plan);
    EXPECT_EQ(radios[3]->Image(), plan);
}

TEST_F(Cli, EachEndsOnInterruptWithASummary)
{
    WriteKt(Path("plan.kt"), OtherImage());
    auto radio = StartRadio(Path("a"), CSimRadioCore::DefaultImage());
    ASSERT_TRUE(radio);
    CCliProcess cli({"write", "--each", Path("plan.kt")}, Path("a"));
    EXPECT_EQ(cli.ReadLine(15s).rfind("Трансивер 1, ", 0), 0u) << cli.Err();
    // A radio whose settings reply is wrong: written, but the check cannot read it back.
    radio = StartRadio(Path("a"), CSimRadioCore::DefaultImage(), false, "no-settings-ack");
    ASSERT_TRUE(radio);
    const std::string failed = cli.ReadLine(15s);
    EXPECT_EQ(failed.rfind("Трансивер 2, " + Path("a") + ": " + Texts::kWriteDone + " " +
                               Texts::kVerifyFailed + " " + Texts::kTimedOut + " (",
                           0),
              0u)
        << failed;
    cli.Interrupt();
    EXPECT_EQ(cli.ReadLine(5s), "Итого трансиверов: 2, успешно: 1, с ошибками: 1.");
    EXPECT_EQ(cli.Wait(), 1);
}

} // namespace
