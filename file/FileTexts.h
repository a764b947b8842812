#pragma once

// What the user is told about data files, exactly as the window and the command line show it
// (UTF-8).
namespace Texts {

inline constexpr char kBadFileFormat[] = "Неправильный формат файла";
inline constexpr char kBadFileCrc[] = "Ошибки CRC";
inline constexpr char kCannotOpenFile[] = "Не удалось открыть файл";
inline constexpr char kCannotSaveFile[] = "Не удалось сохранить файл";

// An import from CSV that was refused as a whole; the problems follow, one per line.
inline constexpr char kCsvNotImported[] = "Файл CSV не загружен, данные не изменены.";
inline constexpr char kFileTooLarge[] = "Файл слишком большой.";

} // namespace Texts
