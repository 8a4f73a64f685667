// Writes a few months of sample journal entries into a DATA folder, for the
// demo installation that scripts/run.sh starts.
//
//   make_demo_data <DATA folder> <year> <month> <day>
//
// The given date is "today": it gets a multi-line entry with a weather, a mood
// and the anniversary mark; the two months before it get a handful of days.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "journal/data/calendar.h"
#include "journal/data/month_codec.h"

namespace {

struct SampleDay {
  int day;
  const char* text;
  int weather, mood, anniversary;
};

// Sources are UTF-8; the build turns the literals into CP932.
const SampleDay kOlderMonthDays[] = {
    {1, "月のはじめ。手帳を新しくした。", 0, 0, 0},
    {3, "雨で一日中家にいた。本を二冊読んだ。", 2, 1, 0},
    {7, "友だちと駅前の喫茶店でお茶。\r\nケーキがおいしかった。", 4, 0, 0},
    {12, "", 1, 2, 0},
    {15, "母の誕生日。花を贈った。", 0, 0, 1},
    {21, "朝は晴れ、夕方から雨。傘を忘れた。", 11, 3, 0},
    {28, "雪がちらついた。今年はじめて。", 3, 1, 0},
};

bool WriteMonth(const std::string& folder, int year, int month, const vorta::MonthBuffer& buffer) {
  char name[32];
  std::snprintf(name, sizeof name, "%04d%02d.DAY", year, month);
  const auto bytes = vorta::EncodeMonthFile(buffer);
  std::ofstream out(folder + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s <DATA folder> <year> <month> <day>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const int year = std::atoi(argv[2]);
  const int month = std::atoi(argv[3]);
  const int day = std::atoi(argv[4]);
  if (vorta::WeekdayOf(year, month, day) < 0) {
    std::fprintf(stderr, "make_demo_data: %s-%s-%s is not a date\n", argv[2], argv[3], argv[4]);
    return 2;
  }

  // This month: a few days before today, and today itself.
  vorta::MonthBuffer current;
  if (day > 2) current.PutDayRecord(day - 2, "新しいペンを買った。書き心地がいい。", 1, 1, 0);
  if (day > 1) current.PutDayRecord(day - 1, "早起きして散歩。空気が冷たかった。", 10, 0, 0);
  current.PutDayRecord(day,
                       "今日から日記をつけることにした。\r\n"
                       "朝は晴れていたが、昼すぎから曇ってきた。\r\n"
                       "夕方、近所の公園で梅の花が咲いているのを見つけた。\r\n"
                       "\r\n"
                       "明日は図書館へ行く予定。",
                       4, 0, 1);
  bool ok = WriteMonth(folder, year, month, current);

  // The two months before: the same handful of days, clamped to the month.
  std::uint16_t y = static_cast<std::uint16_t>(year), m = static_cast<std::uint16_t>(month), d = 1, wd = 0;
  for (int i = 0; i < 2; ++i) {
    vorta::PrevMonth(&y, &m, &d, &wd);
    if (y == year && m == month) break;  // the first month of year 1
    vorta::MonthBuffer older;
    for (const auto& sample : kOlderMonthDays) {
      if (sample.day > vorta::DaysInMonth(y, m)) continue;
      older.PutDayRecord(sample.day, sample.text, static_cast<std::uint8_t>(sample.weather),
                         static_cast<std::uint8_t>(sample.mood), sample.anniversary);
    }
    ok = WriteMonth(folder, y, m, older) && ok;
  }
  if (!ok) {
    std::fprintf(stderr, "make_demo_data: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
