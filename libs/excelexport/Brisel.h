/* Brisel: plain exports that write a table, given column by column, into a
 * new workbook under the caller's file name (a name ending in ".xls" is
 * written as ".xlsx", the format the workbook is in). Texts are UTF-8. Each export
 * returns 1 when the workbook was written and 0 when it wrote nothing (bad
 * arguments, a table larger than a worksheet, a file that cannot be
 * written); failures are also reported in a message box.
 *
 * The table: `count` values, column height rows = count / columns (columns
 * >= 1, count >= columns); value i lies in column i / rows + 1 and row
 * i % rows + 1 of its block, so a remainder forms one more, shorter column. */
#ifndef BRISEL_H
#define BRISEL_H

#if defined(BRISEL_BUILD)
#define BRISEL_API __attribute__((visibility("default")))
#else
#define BRISEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Numbers, as number cells holding the value printed with four decimals
 * ("%.4f") and shown with four; a value that is not finite is its text. */
BRISEL_API int Brisel(const double* values, int count, int columns, const char* fileName);

/* Texts: the first `rows` texts of firstColumn in a column of their own when
 * its first text is not empty (firstColumn may be null), then likewise the
 * second column, then the values. A null text leaves its cell empty. */
BRISEL_API int BriselString(const char* const* firstColumn, const char* const* secondColumn,
                            const char* const* values, int count, int columns, const char* fileName);

/* As BriselString, keeping only the rows whose channel lies in
 * [lowestChannel, channelLimit). The channel of row i is the integer after
 * the first blank of channelTexts[i], up to its first ':'; value i belongs to
 * row i % rows. Kept rows are numbered from 1 without gaps. channelTexts
 * (rows texts) is also the second column. */
BRISEL_API int BriselSelectedString(const char* const* firstColumn, const char* const* channelTexts,
                                    const char* const* values, int lowestChannel, int channelLimit, int count,
                                    int columns, const char* fileName);

#ifdef __cplusplus
}
#endif

#endif
