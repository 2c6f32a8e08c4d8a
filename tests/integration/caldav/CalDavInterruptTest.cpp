// A sync cut short after each of its requests in turn (the connection lost, or the server
// restarted, once the server has acted on the request), or after them all while the schedule
// is saved: the next sync converges, nothing lost and nothing doubled.
#include <gmock/gmock.h>

#include "tests/integration/caldav/CalDavPeer.h"

namespace moriva::caldavtest {
namespace {

using ::testing::EndsWith;
using ::testing::UnorderedElementsAre;

TEST_F(CalDavTest, ASyncCutAfterAnyRequestConvergesAtTheNext) {
  const std::string a = Item(2026, 12, 1, "A"), b = Item(2026, 12, 2, "B"),
                    c = Item(2026, 12, 3, "C"), d = Item(2026, 12, 4, "D"),
                    edited = Item(2026, 12, 1, "A edited", 11),
                    phone = Item(2026, 12, 10, "Phone", 12);
  for (const bool restart : {false, true}) {
    // The last round fails the save of the schedule, after every request went through.
    for (size_t cut = 1;; ++cut) {
      SCOPED_TRACE((restart ? "restart after request " : "cut after request ") +
                   std::to_string(cut));
      Open(false, (restart ? "-r" : "-c") + std::to_string(cut));
      std::filesystem::remove(StateFile());
      TLineList list{a, b, c};
      Sync(list);
      // Changes on both sides: the phone adds one and deletes B; here A is edited (it stays
      // the same event), D added, C deleted.
      const std::map<std::string, std::string> uids = PhoneUids();
      Phone("add p1 20261210T120000 Phone");
      Phone("delete " + uids.at("B"));
      list.Put(0, edited);
      list.Delete(2);
      list.Add(d);

      size_t requests = 0;
      bool saveFails = false;
      try {
        Sync(
            list, &requests,
            [&](size_t n) {
              if (n != cut) return;
              if (restart)
                oracle::RunTool(std::string(MORIVA_RADICALE_TOOL) + " restart " +
                                MORIVA_RADICALE_STATE);
              throw EHttpError("cut");
            },
            [&](const TLineList&) {
              saveFails = true;
              throw EFileError("disk full");
            });
        ADD_FAILURE() << "the run was not cut";
      } catch (const Exception&) {
      }
      // A request that failed leaves the caller's list as it was (a failed save comes after
      // the list took the changes).
      if (!saveFails) {
        EXPECT_THAT(list.Lines(), UnorderedElementsAre(edited, b, d));
      }

      EXPECT_EQ(Sync(list).Conflicts, 0u);
      EXPECT_THAT(list.Lines(), UnorderedElementsAre(edited, d, phone));
      EXPECT_THAT(PhoneRows(), UnorderedElementsAre(uids.at("A") + "|20261201T110000|A edited",
                                                    EndsWith("|20261204T100000|D"),
                                                    EndsWith("|20261210T120000|Phone")));
      EXPECT_EQ(Sync(list), TCalDavSyncResult{});
      if (saveFails) break;
    }
  }
}

}  // namespace
}  // namespace moriva::caldavtest
