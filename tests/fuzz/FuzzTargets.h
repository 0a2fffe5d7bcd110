// Byte-driven fuzz targets over the portable core, shared by the libFuzzer entry points in this
// folder and the seeded random driver of the unit tests. Each target turns arbitrary bytes into
// hardware answers, typed text, stored settings or chart input, runs the program's code on them
// and checks what must hold whatever came in. A target returns null when all held, or a short
// description of the first rule that broke.
#pragma once

#include <cstring>
#include <map>
#include <string>

#include "FuzzBytes.h"
#include "FuzzSetupTarget.h"
#include "app/Settings.h"
#include "base/ParseUnsigned.h"
#include "monitor/ChartModel.h"

namespace fuzz {

// ---- The interval field ----

// The rule the Properties dialog's field follows, written out the long way: the first 31
// characters, blanks and tabs around one unsigned decimal number with an optional plus sign, and
// a number too large for 32 bits reading as 4294967295, and a zero only when it starts with 0.
inline bool ReferenceParse(const std::string& whole, uint32_t& value) {
  std::string text = whole.substr(0, 31);
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  size_t end = text.find_last_not_of(" \t") + 1;
  std::string core = text.substr(begin, end - begin);
  // A zero counts only when typed as the digit: "+0" is not a number to this field.
  const bool typedZero = core[0] == '0';
  if (core[0] == '+') core.erase(0, 1);
  if (core.empty()) return false;
  for (char c : core) {
    if (c < '0' || c > '9') return false;
  }
  size_t first = core.find_first_not_of('0');
  if (first == std::string::npos && !typedZero) return false;
  std::string digits = first == std::string::npos ? "0" : core.substr(first);
  value = digits.size() > 10 || std::stoull(digits) > 0xFFFFFFFFull
              ? 0xFFFFFFFFu
              : static_cast<uint32_t>(std::stoull(digits));
  return true;
}

inline const char* FuzzIntervalField(const uint8_t* data, size_t size) {
  // The field never holds more than a window text can; the parser reads at most 31 of it.
  std::string text(reinterpret_cast<const char*>(data), size < 256 ? size : 256);
  const uint32_t untouched = 0xA5A5A5A5u;
  uint32_t value = untouched;
  bool accepted = base::ParseUnsignedField(text.c_str(), value);
  uint32_t expected = untouched;
  bool wanted = ReferenceParse(text, expected);
  if (accepted != wanted)
    return accepted ? "accepted a text it should reject" : "rejected a number";
  if (!accepted && value != untouched) return "a rejected text changed the value";
  if (accepted && value != expected) return "read the wrong number";
  return nullptr;
}

// ---- Loading the settings ----

// A store whose every read answers with whatever the input says was stored; each value is
// absent, the sentinel, or any 32-bit number.
class ArbitraryStore : public app::SettingsStore {
 public:
  explicit ArbitraryStore(Bytes& in) : in_(in) {}

  int32_t ReadInt(const char* section, const char* name, int32_t defaultValue) override {
    if (std::strcmp(section, app::SettingsSection) != 0) wrongSection = true;
    int32_t answer = defaultValue;
    switch (in_.Below(4)) {
      case 0:
        break;  // absent: the caller's default
      case 1:
        answer = in_.Int();
        break;
      case 2:
        answer = static_cast<int32_t>(in_.Below(3)) - 1 + (in_.Byte() & 1 ? 255 : 0);
        break;
      default:
        answer = in_.Int() >> in_.Below(32);
        break;
    }
    read[name] = answer;
    return answer;
  }

  void WriteInt(const char* section, const char* name, int32_t value) override {
    if (std::strcmp(section, app::SettingsSection) != 0) wrongSection = true;
    written[name] = value;
    ++writes;
  }

  std::map<std::string, int32_t> read;
  std::map<std::string, int32_t> written;
  int writes = 0;
  bool wrongSection = false;

 private:
  Bytes& in_;
};

inline const char* FuzzSettingsLoad(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  ArbitraryStore store(in);
  app::AppSettings s;
  app::LoadSettings(store, s);
  if (store.wrongSection) return "a setting outside the Settings section";
  if (store.read.size() != 7) return "not all seven settings were read";
  if (store.written.count("Advanced") != 0) return "Advanced was written";
  if (s.Advanced != store.read["Advanced"]) return "Advanced is not the value read";
  struct Switch {
    const char* name;
    int32_t value;
    int32_t sentinel;
    int32_t fallback;
  };
  const Switch loaded[] = {
      {"AlwaysOnTop", s.AlwaysOnTop, 255, 1}, {"SpdSenIcon", s.SpdSenIcon, 255, 0},
      {"AboutBox", s.AboutBox, 255, 0},       {"StartMin", s.StartMin, 255, 0},
      {"ShowMinMax", s.ShowMinMax, 255, 0},   {"Timer", s.Timer, 0, 100}};
  int expectedWrites = 0;
  for (const Switch& one : loaded) {
    int32_t stored = store.read[one.name];
    if (stored == one.sentinel) {
      ++expectedWrites;
      if (one.value != one.fallback) return "a missing setting did not get its default";
      auto w = store.written.find(one.name);
      if (w == store.written.end() || w->second != one.fallback) return "a default not written";
    } else {
      if (one.value != stored) return "a stored setting was changed";
      if (store.written.count(one.name) != 0) return "a present setting was written";
    }
  }
  if (store.writes != expectedWrites) return "more writes than missing settings";

  // Saving writes back exactly what is in memory, and never "Advanced".
  store.written.clear();
  store.writes = 0;
  app::SaveSettings(store, s);
  if (store.writes != 6 || store.written.count("Advanced") != 0) return "save wrote the wrong set";
  for (const Switch& one : loaded) {
    if (store.written[one.name] != one.value) return "save wrote a value other than the member";
  }
  return nullptr;
}

// ---- The chart model ----

inline const char* CheckLine(const monitor::ChartPoint (&line)[monitor::ChartPoints], int count,
                             int32_t firstX) {
  for (int k = 0; k < count; ++k) {
    if (line[k].x != firstX + k) return "a trace column at the wrong x";
  }
  return nullptr;
}

inline const char* FuzzChartModel(const uint8_t* data, size_t size) {
  using namespace monitor;
  Bytes in(data, size);
  StepTable steps;
  int count = in.Below(MaxSteps + 1);  // 0..10 steps
  steps.lastStep = count - 1;
  for (int i = 0; i < count; ++i) {
    steps.frequencyMHz[i] = in.Byte() < 200 ? 300 + 33 * in.Below(40) : in.Int();
    steps.level[i] = in.Byte() < 200 ? in.Below(101) : in.Int();
    uint32_t bits = in.Word();
    float voltage;
    std::memcpy(&voltage, &bits, sizeof voltage);  // any float, NaN and infinities included
    steps.voltage[i] = in.Byte() < 128 ? 0.7f + 0.025f * static_cast<float>(in.Below(40)) : voltage;
  }
  // Client rectangles as GetClientRect gives them: at the origin, any size a screen can hold.
  Rect client = {0, 0, in.Below(2) ? in.Below(400) : static_cast<int32_t>(in.Word() % 32768),
                 in.Below(2) ? in.Below(120) : static_cast<int32_t>(in.Word() % 32768)};
  ChartModel chart;
  chart.SetUp(client, steps);
  Rect full = {static_cast<int32_t>(in.Word() % 4096) - 2048,
               static_cast<int32_t>(in.Word() % 4096) - 2048, 0, 0};
  full.right = full.left + in.Below(1000);
  full.bottom = full.top + in.Below(600);
  // The layout last applied: a view change without a running timer keeps the old one.
  ViewMode layout = FramedView;

  for (int round = 0; round < 4096 && !in.Empty(); ++round) {
    int32_t firstX = layout == StripView ? StripLeft : 0;
    if (chart.chartWidth < 0 || chart.chartWidth > ChartPoints) return "chartWidth outside 0..200";
    if (const char* broken = CheckLine(chart.frequencyLine, chart.chartWidth, firstX))
      return broken;
    if (const char* broken = CheckLine(chart.lowerLine, chart.chartWidth, firstX)) return broken;
    if (const char* broken = CheckLine(chart.upperLine, chart.chartWidth, firstX)) return broken;

    uint8_t action = in.Byte();
    if (action < 200) {
      int32_t frequency =
          action < 150 && count > 0 ? steps.frequencyMHz[in.Below(count)] : in.Int();
      ChartModel::TickStart start = chart.BeginTick(frequency, steps, (action & 1) != 0);
      if (count == 0) {
        if (start.blank || start.label || start.speedBand != NoSpeedBand) {
          return "an empty table drew something";
        }
        continue;
      }
      if (chart.currentStep < 0 || chart.currentStep >= count) return "current step outside table";
      if (start.label) {
        if (chart.chartLabelLength < 0 || chart.chartLabelLength >= 64) return "label too long";
        if (std::strlen(chart.chartLabel) != static_cast<size_t>(chart.chartLabelLength)) {
          return "label length differs from its text";
        }
      }
      if (start.speedBand != NoSpeedBand &&
          (start.speedBand < 0 || start.speedBand >= SpeedBandCount)) {
        return "a speed band outside 0..7";
      }
      if ((action & 2) != 0) {
        chart.PlaceLimits(in.Word(), in.Word(), steps);
        if (chart.upperStep < 0 || chart.upperStep >= count || chart.lowerStep < 0 ||
            chart.lowerStep >= count) {
          return "a limit step outside the table";
        }
      }
      if (chart.PointsToDraw() < 0 || chart.PointsToDraw() > ChartPoints) {
        return "more points to draw than the arrays hold";
      }
      int32_t x = chart.chartX;
      if (x < ChartPoints) {
        int32_t y = chart.frequencyLine[x].y;
        int32_t top = layout == StripView ? StripTop : FramedTop;
        int32_t span = layout == StripView ? StripSpan : FramedSpan;
        if (y < top || y > top + span) return "a trace point off the scale";
      }
      chart.EndTick();
    } else if (action < 230) {
      ViewChange change = NextView(chart.viewMode, full, chart.chartRect.Height());
      if (change.mode < FramedView || change.mode > StripView) return "a view outside 0..2";
      chart.viewMode = change.mode;
      if (change.relayout && (in.Byte() & 1) != 0) {
        chart.Relayout(change.mode, steps);
        layout = change.mode;
      }
    } else if (action < 245) {
      chart.Blanked();
    } else {
      chart.Restart();
    }
  }
  return nullptr;
}

}  // namespace fuzz
