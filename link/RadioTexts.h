#pragma once

// What the user is told about the radio and its port, exactly as the window and the command
// line show it (UTF-8).
namespace Texts {

inline constexpr char kWindowTitle[] = "Программное обеспечение ВОРЛЕНД";

inline constexpr char kCheckCable[] =
    "Проверьте подключение кабеля к трансиверу и настройки COM-порта";
inline constexpr char kPortOpenFailed[] = "Ошибка при открытии COM-порта";
inline constexpr char kWarningCaption[] = "Предупреждение";
inline constexpr char kReadTitle[] = "Считывание данных с трансивера";
inline constexpr char kWriteTitle[] = "Запись данных в трансивер";
inline constexpr char kReadDone[] = "Данные считаны успешно!";
inline constexpr char kWriteDone[] = "Данные записаны успешно!";
// A read that ended with channels the radio did not send; %1 lists their numbers.
inline constexpr char kReadIncomplete[] = "Данные считаны не полностью. Не считаны каналы: %1.";
// The trailing no-break space is part of the text.
inline constexpr char kTimedOut[] = "Истекло время ожидания соединения\u00A0";
// A write to the port failed during an operation.
inline constexpr char kPortWriteFailed[] =
    "Ошибка записи в COM-порт. Проверьте подключение кабеля к трансиверу";

// Second line of kPortOpenFailed, by reason.
inline constexpr char kPortBusy[] = "Порт занят другой программой.";
inline constexpr char kPortNoPermission[] = "Нет прав доступа к порту.";
inline constexpr char kPortNotFound[] = "Порт не найден.";

} // namespace Texts
