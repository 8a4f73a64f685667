#include "journal/data/month_buffer.h"

#include <algorithm>

namespace vorta {

namespace {

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void AppendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

template <typename Visit>
void MonthBuffer::WalkRecords(Visit visit) const {
  std::size_t offset = 0;
  for (unsigned i = 0; i < count_; ++i) {
    if (payload_.size() - offset < kRecordHeaderSize) return;
    const std::uint8_t* p = payload_.data() + offset;
    const int length = static_cast<std::int16_t>(ReadU16(p + 3));
    // A length below 1 or one that runs past the payload means the rest of the
    // month is damaged: stop there.
    if (length < 1 || static_cast<std::size_t>(length) > payload_.size() - offset - kRecordHeaderSize)
      return;
    if (!visit(RecordRef{offset, p[0], ReadU16(p + 1), length})) return;
    offset += kRecordHeaderSize + static_cast<std::size_t>(length);
  }
}

void MonthBuffer::Clear() {
  payload_.clear();
  count_ = 0;
  anniversary_days_.clear();
  days_with_text_.fill(0);
}

void MonthBuffer::Assign(std::vector<std::uint8_t> payload, unsigned count) {
  payload_ = std::move(payload);
  count_ = static_cast<std::uint8_t>(std::min(count, 255u));
  unsigned whole = 0;
  std::size_t end = 0;
  WalkRecords([&](const RecordRef& r) {
    ++whole;
    end = r.offset + kRecordHeaderSize + static_cast<std::size_t>(r.length);
    return true;
  });
  payload_.resize(end);
  count_ = static_cast<std::uint8_t>(whole);
  CollectAnniversaryDays();
}

bool MonthBuffer::PutDayRecord(int day, std::string_view text, std::uint8_t weather,
                               std::uint8_t mood, int flag) {
  if (text.size() > kEntryCapacity - 1) text = text.substr(0, kEntryCapacity - 1);
  const int length = static_cast<int>(text.size()) + 1;

  bool found = false;
  RecordRef old{};
  WalkRecords([&](const RecordRef& r) {
    if (r.day != day) return true;
    found = true;
    old = r;
    return false;
  });
  // A full damaged month takes no new day; an empty day needs no record, so
  // it is never refused (the user can still leave it).
  const bool empty = length < 2 && weather == 0 && mood == 0 && flag == 0;
  if (!found && empty) return true;
  if (!found && count_ == 255) return false;

  int old_length = length;
  int old_flag = 0;
  if (found) {
    old_length = old.length;
    old_flag = (old.attributes >> 6) & 1;
    const auto first = payload_.begin() + static_cast<std::ptrdiff_t>(old.offset);
    payload_.erase(first, first + static_cast<std::ptrdiff_t>(kRecordHeaderSize) + old.length);
    --count_;
  }

  // A day that was empty and stays empty keeps no record. Only the old length
  // and mark decide this, so a record emptied by the user is kept as an empty
  // record and reaches the file.
  const bool left_out = length == old_length && length < 2 && weather == 0 && mood == 0 &&
                        flag == old_flag && flag == 0;
  if (left_out) return true;

  ++count_;
  payload_.push_back(static_cast<std::uint8_t>(day));
  AppendU16(payload_, MakeAttributeWord(weather, mood, flag ? 1 : 0));
  AppendU16(payload_, static_cast<std::uint16_t>(length));
  payload_.insert(payload_.end(), text.begin(), text.end());
  payload_.push_back(0);
  return true;
}

int MonthBuffer::GetDayRecord(int day, DayRecord* record) {
  *record = DayRecord{};
  int result = 0;
  WalkRecords([&](const RecordRef& r) {
    if (r.day != day) return true;
    const auto* text = reinterpret_cast<const char*>(payload_.data() + r.offset + kRecordHeaderSize);
    const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(r.length), kEntryCapacity - 1);
    record->text.assign(text, std::find(text, text + limit, '\0'));
    record->weather = static_cast<std::uint8_t>(r.attributes >> 11);
    record->mood = static_cast<std::uint8_t>((r.attributes >> 7) & 0x0F);
    record->flag = (r.attributes >> 6) & 1;
    result = r.length;
    return false;
  });
  MarkDaysWithText();
  return result;
}

void MonthBuffer::CollectAnniversaryDays() {
  anniversary_days_.clear();
  WalkRecords([&](const RecordRef& r) {
    if (r.attributes & 0x40) anniversary_days_.push_back(r.day);
    return true;
  });
}

void MonthBuffer::MarkDaysWithText() {
  days_with_text_.fill(0);
  WalkRecords([&](const RecordRef& r) {
    const bool has_text = payload_[r.offset + kRecordHeaderSize] != 0;
    if (has_text && r.day >= 1 && r.day <= kDaysInTable) days_with_text_[r.day - 1] = 1;
    return true;
  });
}

}  // namespace vorta
