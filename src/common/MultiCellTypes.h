#pragma once

// Enumerations of the multi-cell grid. Names and order are fixed: hosts store
// and compare them by position.

namespace sr5n {

enum TCellType { mctText, mctCombo, mctSpin, mctDateTime, mctDialog, mctProgress, mctCheck };
enum TAlignmentH { mahLeft, mahCenter, mahRight };
enum TAlignmentV { mavTop, mavCenter, mavBottom };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TDTDateFormat { dfShort, dfLong };
enum TDTCalAlignment { dtaLeft, dtaRight };

// Character case forced by the text editor.
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// Whether a date-time cell holds a date or a time.
enum TDateTimeKind { dtkDate, dtkTime };
// Direction of a progress cell's bar.
enum TProgressBarOrientation { pbHorizontal, pbVertical };
// Caption side of a check cell's box.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

} // namespace sr5n
