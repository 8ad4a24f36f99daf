// The grid must decide exactly as the scan of every earlier entry does, on
// the data where a grid goes wrong first: differences that land on the
// tolerance, entries on cell borders, clusters, duplicates and extremes.
#include "cleanup/MergePlan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cleanup/ExtendedNumber.h"

namespace quarvel {
namespace {

using Coordinates = std::vector<std::array<long double, 3>>;

// The value of a decimal text, as the shape's numbers are read.
long double Read(const std::string& text) {
  return *ParseExtended(text);
}

std::string Decimal(long long units, int decimals) {
  const bool negative = units < 0;
  std::string digits = std::to_string(negative ? -units : units);
  if (decimals > 0) {
    if (digits.size() <= static_cast<std::size_t>(decimals))
      digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
  }
  return (negative ? "-" : "") + digits;
}

// Every entry's new index and keep flag, and the count kept.
std::vector<long long> Decisions(const Coordinates& coordinates, long double tolerance,
                                 MergeKind kind, bool byScan) {
  MergeTable table;
  table.MakeRoomFor(coordinates.size());
  for (std::size_t k = 0; k < coordinates.size(); ++k) {
    table[k].X = coordinates[k][0];
    table[k].Y = coordinates[k][1];
    table[k].Z = coordinates[k][2];
  }
  const int kept =
      (byScan ? PlanMergeByScan : PlanMerge)(table, coordinates.size(), tolerance, kind);
  std::vector<long long> decisions{kept};
  for (std::size_t k = 0; k < coordinates.size(); ++k)
    decisions.push_back(table[k].keep ? table[k].newIndex : -1 - table[k].newIndex);
  return decisions;
}

void ExpectSameAsScan(const Coordinates& coordinates, const std::vector<long double>& tolerances) {
  for (const MergeKind kind : {MergeKind::Points, MergeKind::Normals}) {
    for (const long double tolerance : tolerances) {
      SCOPED_TRACE(::testing::Message() << "tolerance " << tolerance << ", "
                                        << (kind == MergeKind::Points ? "points" : "normals"));
      const auto expected = Decisions(coordinates, tolerance, kind, true);
      EXPECT_EQ(Decisions(coordinates, tolerance, kind, false), expected);
    }
  }
}

const long double kInfinity = std::numeric_limits<long double>::infinity();
const long double kNoNumber = std::numeric_limits<long double>::quiet_NaN();

TEST(MergePlan, RandomDecimalsAtEveryKindOfTolerance) {
  std::mt19937_64 random(7);
  Coordinates coordinates;
  for (int k = 0; k < 1500; ++k) {
    std::array<long double, 3> c{};
    for (long double& v : c) v = Read(Decimal(static_cast<long long>(random() % 2001) - 1000, 3));
    coordinates.push_back(c);
  }
  ExpectSameAsScan(coordinates, {0, 0.0001L, Read("0.001"), Read("0.01"), 0.1L, 0.3L, 1, 10, 1e30L,
                                 kInfinity, -Read("0.001"), kNoNumber});
}

TEST(MergePlan, DifferencesExactlyAtTheToleranceAndEntriesOnCellBorders) {
  // Multiples of the tolerance: read from decimals they are rounded, so the
  // extended difference of two neighbours is a hair above or below it; as
  // multiples of a power of two they are exact and lie on the cell borders.
  std::mt19937_64 random(11);
  for (const auto& [decimals, step] : {std::pair{3, 1LL}, std::pair{2, 25LL}, std::pair{0, 4LL}}) {
    Coordinates coordinates;
    for (int k = 0; k < 1500; ++k) {
      std::array<long double, 3> c{};
      for (long double& v : c)
        v = Read(Decimal(step * (static_cast<long long>(random() % 41) - 20), decimals));
      coordinates.push_back(c);
    }
    const long double unit = Read(Decimal(step, decimals));
    SCOPED_TRACE(::testing::Message() << "steps of " << unit);
    ExpectSameAsScan(coordinates, {unit, 2 * unit, std::nextafter(unit, 0.0L),
                                   std::nextafter(unit, 1e9L), unit / 2, 0});
  }
}

TEST(MergePlan, ClustersDuplicatesAndExtremes) {
  std::mt19937_64 random(13);
  std::normal_distribution<double> jitter(0, 0.0008);
  Coordinates clustered;
  std::vector<std::array<double, 3>> centres(12);
  for (auto& centre : centres)
    for (double& v : centre) v = static_cast<double>(random() % 100) / 50 - 1;
  for (int k = 0; k < 1500; ++k) {
    const auto& centre = centres[random() % centres.size()];
    std::array<long double, 3> c{};
    for (int a = 0; a < 3; ++a)
      c[static_cast<std::size_t>(a)] =
          random() % 3 == 0
              ? centre[static_cast<std::size_t>(a)]
              : static_cast<long double>(centre[static_cast<std::size_t>(a)] + jitter(random));
    clustered.push_back(c);
  }
  ExpectSameAsScan(clustered, {0, Read("0.001"), Read("0.0005"), 0.01L});

  // Huge and tiny magnitudes side by side, both zeros, the largest values,
  // infinities and undefined values (which the reading never gives, but the
  // plan must not trip over).
  const long double big = std::numeric_limits<long double>::max();
  const long double tiny = std::numeric_limits<long double>::denorm_min();
  Coordinates extremes;
  const std::vector<long double> values = {
      0,    -0.0L, 1e6L, 1e6L + 1e-12L, -1e6L,     1e-20L,     2e-20L,    1e-300L,
      tiny, -tiny, big,  -big,          kInfinity, -kInfinity, kNoNumber, 1e4000L};
  for (int k = 0; k < 1500; ++k)
    extremes.push_back({values[random() % values.size()], values[random() % values.size()],
                        values[random() % values.size()]});
  ExpectSameAsScan(extremes, {0, 1e-12L, 1e-20L, tiny, 1, 1e4000L, big, kInfinity});
}

}  // namespace
}  // namespace quarvel
