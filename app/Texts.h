#pragma once

#include "file/FileTexts.h"
#include "link/RadioTexts.h"

// The window's own texts, exactly as the user sees them; the radio's are in link/, the data
// files' in file/.
namespace Texts {

inline constexpr char kInstanceKey[] = "VORLEND RADIO SOFTWARE VER2.0";
inline constexpr char kCurrentPort[] = "Текущий порт";
inline constexpr char kDisconnected[] = "Отключен";

inline constexpr char kStepImport[] = "импорт из CSV";

// The printed channel card; %1 is the date.
inline constexpr char kCardTitle[] = "Каналы радиостанции ВОРЛЕНД — %1";
inline constexpr char kCardSettings[] = "Настройки";

// The grid's menu and its undo steps (what "Отменить: ..." names).
inline constexpr char kMenuUndo[] = "Отменить";
inline constexpr char kMenuRedo[] = "Повторить";
inline constexpr char kMenuCopy[] = "Копировать";
inline constexpr char kMenuCut[] = "Вырезать";
inline constexpr char kMenuPaste[] = "Вставить";
inline constexpr char kMenuExportCsv[] = "Экспорт в CSV...";
inline constexpr char kMenuImportCsv[] = "Импорт из CSV...";
inline constexpr char kMenuPrint[] = "Печать...";
inline constexpr char kStepEdit[] = "правка ячейки";
inline constexpr char kStepSettings[] = "выбор настройки";
inline constexpr char kStepPaste[] = "вставка";
inline constexpr char kStepCut[] = "вырезание";
inline constexpr char kStepOpen[] = "открытие файла";
inline constexpr char kStepRead[] = "чтение из трансивера";
// A paste some of whose cells were not taken; each of them follows on a line of its own.
inline constexpr char kPasteRefused[] =
    "Эти значения не подходят для своих столбцов и не вставлены:";
// One refused cell: channel number, column caption, the pasted text.
inline constexpr char kPasteRefusedCell[] = "канал %1, «%2»: %3";
// After the first lines of a long list: how many more there are.
inline constexpr char kPasteRefusedMore[] = "и ещё %1";

} // namespace Texts
