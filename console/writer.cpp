// The console channel: write statements rendered into records, each record
// written to standard output at once behind the line advance its first
// byte selects. Nothing here allocates: every buffer has a fixed size.
#include "console/writer.h"

#include <cstring>

#include "console/failures.h"
#include "console/fixed_format.h"
#include "console/io_errors.h"
#include "console/limits.h"
#include "console/platform.h"

namespace orowan::console {
namespace {

constexpr int kRecordBytes = kRecordSize;
constexpr int kMaxWriteItems = 64;
constexpr int kMaxAdvance = 6;

// The console channel. Columns count over the whole record; the buffer
// holds the columns from `pieceStart` on. Invariant:
// pieceStart <= position <= recordLength <= pieceStart + kRecordBytes.
struct Channel {
  char record[kRecordBytes];
  int recordLength = 0;   // furthest column filled
  int position = 0;       // columns before the next placed byte
  int pendingBlanks = 0;  // blanks owed before the next placed byte
  int pieceStart = 0;     // columns already written as pieces
  bool lineOpen = false;
  bool sharedWithInput = false;
};

struct Item {
  bool isReal;
  float real;
  std::int32_t integer;
};

// The write statement being built.
struct Statement {
  const FormatList* list = nullptr;
  Item items[kMaxWriteItems];
  int count = 0;
  bool overflow = false;  // more items than the statement can hold
};

Channel channel;
Statement statement;

// Writes bytes to standard output; any failure ends the program with its
// write error.
void emit(const char* bytes, int n) {
  if (n <= 0) return;
  const platform::WriteStatus status = platform::writeBytes(1, bytes, static_cast<std::size_t>(n));
  if (status != platform::WriteStatus::done) reportWriteError(writeErrorOf(status));
}

// The line advance that a record's first byte selects; returns its length.
int advanceFor(char first, bool lineOpen, char* out) {
  const char* sequence = first == '0'   ? (lineOpen ? "\r\n\r\n" : "\r\n")
                         : first == '1' ? "\r\n\f\r \r"
                         : first == '+' ? "\r"
                                        : (lineOpen ? "\r\n" : "");
  const int n = static_cast<int>(std::strlen(sequence));  // at most kMaxAdvance
  std::memcpy(out, sequence, static_cast<std::size_t>(n));
  return n;
}

// Writes the first `n` bytes of the buffer: the record's first piece goes
// out with its advance sequence in place of its first byte, in one call.
void writePiece(int n) {
  if (channel.pieceStart != 0) {
    emit(channel.record, n);
    return;
  }
  char out[kMaxAdvance + kRecordBytes];
  const int advance = advanceFor(channel.record[0], channel.lineOpen, out);
  std::memcpy(out + advance, channel.record + 1, static_cast<std::size_t>(n - 1));
  emit(out, advance + n - 1);
  channel.lineOpen = true;
}

// Puts one byte at the current column. A full buffer is first written as
// a piece of the record; placing goes on at the start of the buffer.
void putByte(char c) {
  int i = channel.position - channel.pieceStart;  // 0 to kRecordBytes by the invariant
  if (i == kRecordBytes) {  // the buffer is full and the cursor at its end
    writePiece(kRecordBytes);
    channel.pieceStart += kRecordBytes;
    i = 0;
  }
  channel.record[i] = c;
  ++channel.position;
  if (channel.position > channel.recordLength) channel.recordLength = channel.position;
}

// Places one byte, after the blanks still owed.
void placeByte(char c) {
  for (; channel.pendingBlanks > 0; --channel.pendingBlanks) putByte(' ');
  putByte(c);
}

// Places `n` bytes after the blanks still owed, as placeByte would one by
// one; in one copy when they all fit in the buffer, so that no piece is
// written in between. Nothing is placed (and the blanks stay owed) for n 0.
void placeBytes(const char* bytes, int n) {
  if (n <= 0) return;
  const int i = channel.position - channel.pieceStart;  // 0 to kRecordBytes
  const int blanks = channel.pendingBlanks;
  if (blanks > kRecordBytes || n > kRecordBytes - i - blanks) {
    for (int j = 0; j < n; ++j) placeByte(bytes[j]);
    return;
  }
  std::memset(channel.record + i, ' ', static_cast<std::size_t>(blanks));
  std::memcpy(channel.record + i + blanks, bytes, static_cast<std::size_t>(n));
  channel.pendingBlanks = 0;
  channel.position += blanks + n;
  if (channel.position > channel.recordLength) channel.recordLength = channel.position;
}

// Starts an empty record.
void clearRecord() {
  channel.recordLength = 0;
  channel.position = 0;
  channel.pendingBlanks = 0;
  channel.pieceStart = 0;
}

// Ends the record: an empty one becomes a single blank; owed blanks are
// dropped. Every record leaves the line open.
void endRecord() {
  if (channel.recordLength == 0) {
    channel.record[0] = ' ';
    channel.recordLength = 1;
  }
  writePiece(channel.recordLength - channel.pieceStart);  // at least one byte
  channel.lineOpen = true;
  clearRecord();
}

// Tn: the next byte lands at column n. Moving left overwrites, though never
// a piece that is already on the console.
void tabTo(int n) {
  const int column = n - 1;
  if (column >= channel.recordLength) {
    channel.position = channel.recordLength;
    channel.pendingBlanks = column - channel.recordLength;
  } else {
    channel.position = column > channel.pieceStart ? column : channel.pieceStart;
    channel.pendingBlanks = 0;
  }
}

// Quoted text, read from the list's own bytes; a doubled quote places one.
// The runs between doubled quotes are placed whole.
void placeText(const FormatList& list, const FormatItem& item) {
  const char* bytes = list.text() + item.a;
  int start = 0;
  for (int i = 0; i < item.b; ++i) {
    if (bytes[i] != item.quote) continue;
    placeBytes(bytes + start, i + 1 - start);  // through the first of the pair
    start = i + 2;
    ++i;
  }
  placeBytes(bytes + start, item.b - start);
}

// A format item that is not a data field.
void performItem(const FormatList& list, const FormatItem& item) {
  switch (item.kind) {
    case FormatItem::text: placeText(list, item); break;
    case FormatItem::slash:
      channel.pendingBlanks = 0;
      endRecord();
      break;
    case FormatItem::tab: tabTo(item.a); break;
    case FormatItem::skip: channel.pendingBlanks += item.a; break;
    default: break;
  }
}

// Converts one item with its data field and places it right-justified: the
// field's leading blanks are owed blanks.
void placeField(const FormatItem& field, const Item& item) {
  if (item.isReal != (field.kind == FormatItem::fixed)) reportWriteError(kItemMismatch);
  char text[kMaxFieldWidth];
  const int w = field.a;  // 1 to kMaxFieldWidth, as the list was parsed
  int n = item.isReal ? fixedText(item.real, w, field.b, text)
                      : integerText(item.integer, w, field.b, text);
  if (n < 0) n = fillAsterisks(w, text);
  channel.pendingBlanks += w - n;
  placeBytes(text, n);
}

// Walks the list, one data field per item; at the closing parenthesis the
// record ends, and the list starts over while items remain.
void renderStatement(const FormatList& list, const Item* items, int count) {
  int next = 0;
  int at = 0;  // 0 to list.size(): the closing parenthesis is list.size()
  for (;;) {
    if (at == list.size()) {
      endRecord();
      if (next == count) return;
      at = list.resumeAt();  // the caller made sure the list has a data field
    } else if (!list[at].isDataField()) {
      performItem(list, list[at++]);
    } else if (next == count) {
      endRecord();
      return;
    } else {
      placeField(list[at++], items[next++]);
    }
  }
}

}  // namespace

void beginWrite(const FormatList& list) {
  statement.list = &list;
  statement.count = 0;
  statement.overflow = false;
}

void putRealItem(float value) {
  if (statement.count == kMaxWriteItems) {
    statement.overflow = true;
    return;
  }
  statement.items[statement.count++] = {true, value, 0};
}

void putIntegerItem(std::int32_t value) {
  if (statement.count == kMaxWriteItems) {
    statement.overflow = true;
    return;
  }
  statement.items[statement.count++] = {false, 0.0f, value};
}

// Checks the statement, then renders it. A list without data fields cannot
// take items: that is reported rather than looping over the list forever.
void endWrite() {
  clearRecord();
  const FormatList* list = statement.list;
  statement.list = nullptr;
  if (list == nullptr || !list->valid()) reportWriteError(kBadFormatList);
  if (statement.overflow || (statement.count > 0 && list->dataFields() == 0)) {
    reportWriteError(kItemMismatch);
  }
  renderStatement(*list, statement.items, statement.count);
  statement.count = 0;
}

void endOfConsoleRead() {
  if (channel.sharedWithInput) channel.lineOpen = false;
}

void closeOpenLine() {
  if (channel.lineOpen) platform::writeBytes(1, "\r\n", 2);  // at the end, errors are ignored
}

bool lineIsOpen() { return channel.lineOpen; }

void openConsoleChannel(bool sharedWithInput) {
  clearRecord();
  channel.lineOpen = false;
  channel.sharedWithInput = sharedWithInput;
  statement.list = nullptr;
  statement.count = 0;
  statement.overflow = false;
}

}  // namespace orowan::console
