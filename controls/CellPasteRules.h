#pragma once

// Qt
#include <QString>

// std
#include <optional>

// Judges a text pasted into a data column (1..7) as the column's editor would have let it be
// typed or chosen: a frequency or code typed key by key through the box's filter, one of the
// code list's items, one of a two-choice column's items, or exactly the text the grid itself
// shows for the value it stands for (so that rows copied out of the grid always come back). An
// empty text is a commit like any other. Returns the text to commit (a typed n or i is the
// suffix N or I, as in the box), or nothing when the text is refused.
[[nodiscard]] std::optional<QString> PastedCellText(int column, const QString& text);
