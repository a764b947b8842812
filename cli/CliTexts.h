#pragma once

#include "file/FileTexts.h"
#include "link/RadioTexts.h"

// The command line's own texts (UTF-8); the radio's and the files' are the window's.
namespace Texts {

inline constexpr char kUnknownFileKind[] = "Неизвестный тип файла: нужен файл .kt или .csv";
inline constexpr char kNoRadioOnAnyPort[] = "Трансивер не найден ни на одном порту.";
inline constexpr char kNoSerialPorts[] = "Последовательные порты не найдены.";
inline constexpr char kRadioAnswers[] = "трансивер отвечает";
inline constexpr char kNoDifferences[] = "Различий нет.";
// %1: how many differences were listed.
inline constexpr char kDifferencesFound[] = "Найдено различий: %1.";
inline constexpr char kVerifyFailed[] = "Проверка не выполнена: данные не считаны.";
inline constexpr char kInFile[] = "в файле";
inline constexpr char kInRadio[] = "в трансивере";
inline constexpr char kChannel[] = "Канал";
inline constexpr char kRecordByte[] = "байт записи";
inline constexpr char kSetting[] = "Настройка";
inline constexpr char kSettingsHeading[] = "Настройки";
inline constexpr char kWaitingForRadios[] = "Ожидание трансиверов (Ctrl+C завершает)...";
inline constexpr char kRadioNumber[] = "Трансивер";
// After a write in a line of write --each.
inline constexpr char kVerified[] = "Проверено, различий нет.";
inline constexpr char kSeconds[] = "с";
// %1 radios in all, %2 of them succeeded, %3 failed.
inline constexpr char kEachSummary[] = "Итого трансиверов: %1, успешно: %2, с ошибками: %3.";

} // namespace Texts
