// The month buffer: the decoded day records of one month, edited one day at a
// time, and the two tables derived from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorta {

// Room for an entry in the editor, terminating zero included. A stored text is
// at most kEntryCapacity - 1 bytes, so a record's length L is at most 5120.
constexpr std::size_t kEntryCapacity = 5120;
constexpr std::size_t kRecordHeaderSize = 5;  // day, attribute word, L
constexpr int kDaysInTable = 31;

// Attribute word: weather in bits 15..11, mood in bits 10..7, anniversary in bit 6.
constexpr std::uint16_t MakeAttributeWord(unsigned weather, unsigned mood, unsigned flag) {
  return static_cast<std::uint16_t>(((weather * 16 + mood) * 2 + flag) * 64);
}

struct DayRecord {
  std::string text;  // CP932 bytes without the terminating zero
  std::uint8_t weather = 0;
  std::uint8_t mood = 0;
  int flag = 0;  // anniversary mark, 0 or 1
};

class MonthBuffer {
 public:
  MonthBuffer() = default;

  // An empty month: no records.
  void Clear();

  // Takes the decoded payload of a month file whose header gave `count`
  // records. The payload is cut after the last whole record that the count
  // and the bytes allow, so that what is kept is exactly what every reader
  // sees and the header written back always matches it.
  void Assign(std::vector<std::uint8_t> payload, unsigned count);

  // Replaces the record of `day`: the old one is removed and, unless the day
  // stays without content, the new one is appended at the end. Returns false
  // (buffer unchanged) only when a damaged month already holds 255 records of
  // other days and no more can be counted.
  bool PutDayRecord(int day, std::string_view text, std::uint8_t weather, std::uint8_t mood,
                    int flag);

  // Fills `record` from the first record of `day` and returns its stored length L
  // (text bytes plus the zero); returns 0 and an empty record when the day has
  // none. The text is never longer than kEntryCapacity - 1 bytes. Rebuilds the
  // days-with-text table.
  int GetDayRecord(int day, DayRecord* record);

  // Rebuilds the list of days whose record carries the anniversary mark.
  void CollectAnniversaryDays();
  // Rebuilds the table of days whose record has text (index day - 1).
  void MarkDaysWithText();

  const std::vector<std::uint8_t>& payload() const { return payload_; }
  std::uint8_t record_count() const { return count_; }
  std::uint32_t payload_length() const { return static_cast<std::uint32_t>(payload_.size()); }
  const std::vector<std::uint8_t>& anniversary_days() const { return anniversary_days_; }
  const std::array<std::uint16_t, kDaysInTable>& days_with_text() const { return days_with_text_; }

 private:
  struct RecordRef {
    std::size_t offset;
    std::uint8_t day;
    std::uint16_t attributes;
    int length;  // L as stored, at least 1
  };

  // Calls visit(record) for each record, in buffer order, until it returns
  // false. Never reads past the payload.
  template <typename Visit>
  void WalkRecords(Visit visit) const;

  std::vector<std::uint8_t> payload_;
  std::uint8_t count_ = 0;
  std::vector<std::uint8_t> anniversary_days_;
  std::array<std::uint16_t, kDaysInTable> days_with_text_{};
};

}  // namespace vorta
