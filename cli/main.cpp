// vorlend-cli: the radio from scripts, and many radios in a row.
#include "Commands.h"

#include "model/DecimalSeparator.h"

#include <CLI/CLI.hpp>

// std
#include <cstdio>
#include <memory>
#include <string>

// system
#include <unistd.h>

namespace {

// CLI11's own words for the parts of a help text, in Russian like the rest.
void RussianHelp(CLI::App& app)
{
    auto formatter = std::make_shared<CLI::Formatter>();
    formatter->label("Usage", "Использование");
    formatter->label("OPTIONS", "ПАРАМЕТРЫ");
    formatter->label("SUBCOMMAND", "КОМАНДА");
    formatter->label("SUBCOMMANDS", "КОМАНДЫ");
    formatter->label("Positionals", "Аргументы");
    formatter->label("REQUIRED", "обязательно");
    formatter->label("Needs", "Требует");
    formatter->label("Excludes", "Несовместим с");
    formatter->label("TEXT", "ТЕКСТ");
    formatter->label("INT:POSITIVE", "ЧИСЛО");
    formatter->column_width(34);
    app.formatter(formatter);
    app.option_defaults()->group("Параметры");
    app.set_help_flag("-h,--help", "Показать эту справку и выйти");
    app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
        return std::string("Ошибка в командной строке: ") + error.what() +
               "\nСправка: " + failed->get_name() + " --help\n";
    });
}

CLI::App* Command(CLI::App& app, const char* name, const char* description)
{
    CLI::App* command = app.add_subcommand(name, description);
    command->group("Команды");
    command->set_help_flag("-h,--help", "Показать эту справку и выйти");
    return command;
}

} // namespace

int main(int argc, char** argv)
{
    // Numbers as the window shows them for this user (the decimal separator).
    AdoptUserLocale();

    CLI::App app("Программирование трансиверов ВОРЛЕНД из командной строки.", "vorlend-cli");
    RussianHelp(app);
    app.require_subcommand(1);

    std::string port;
    std::string file;
    std::string out;
    bool verify = false;
    bool each = false;
    int count = 0;
    const char* portHelp = "Порт трансивера (например, /dev/ttyUSB0); без него - порт, на "
                           "котором трансивер отвечает";
    const char* fileHelp = "Файл .kt или .csv";

    CLI::App* ports =
        Command(app, "ports", "Последовательные порты; отмечен тот, на котором отвечает трансивер");
    CLI::App* read = Command(app, "read", "Считать трансивер в файл");
    read->add_option("--port", port, portHelp);
    read->add_option("FILE", file, fileHelp)->required();
    CLI::App* write = Command(app, "write", "Записать файл в трансивер");
    CLI::Option* writePort = write->add_option("--port", port, portHelp);
    write->add_flag("--verify", verify, "Считать записанное обратно и сравнить");
    CLI::Option* eachFlag = write->add_flag(
        "--each", each,
        "Ждать трансиверы и записывать с проверкой каждый, как только он ответит (Ctrl+C "
        "завершает)");
    write->add_option("--count", count, "С --each: остановиться после стольких трансиверов")
        ->check(CLI::PositiveNumber)
        ->needs(eachFlag);
    eachFlag->excludes(writePort);
    write->add_option("FILE", file, fileHelp)->required();
    CLI::App* verifyCommand =
        Command(app, "verify", "Сравнить трансивер с файлом: различия по каналам и настройкам");
    verifyCommand->add_option("--port", port, portHelp);
    verifyCommand->add_option("FILE", file, fileHelp)->required();
    CLI::App* convert = Command(app, "convert", "Преобразовать .kt в .csv или .csv в .kt");
    convert->add_option("IN", file, "Исходный файл")->required();
    convert->add_option("OUT", out, "Новый файл")->required();
    CLI::App* show = Command(app, "show", "Показать каналы и настройки файла, как в таблице");
    show->add_option("FILE", file, fileHelp)->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? kExitOk : kExitUsage;
    }

    CliOptions options;
    // A bar only for someone watching: on a pipe the output is the result alone.
    options.showProgress = ::isatty(STDERR_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
    if (*ports)
        return RunPorts(options);
    if (*read)
        return RunRead(options, port, file);
    if (*write)
        return each ? RunWriteEach(options, file, count) : RunWrite(options, port, file, verify);
    if (*verifyCommand)
        return RunVerify(options, port, file);
    if (*convert)
        return RunConvert(file, out);
    if (*show)
        return RunShow(file);
    return kExitUsage;
}
