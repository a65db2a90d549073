// Named objects by session and user, as "Kernel Object Namespaces" describes them.
#include <gtest/gtest.h>

#include "platform/sim/model/object_namespace.h"

namespace qvx {
namespace {

TEST(ObjectNamespace, GlobalNamesAreSharedBySessionsOthersAreTheSessions) {
  model::ObjectNamespace objects;
  const model::LogonSession alice{1, "S-alice"}, alice_again{2, "S-alice"};
  model::ObjectHandle a = 0, b = 0, c = 0;
  EXPECT_EQ(objects.create_mutex(alice, "Local\\m", a), model::CreateOutcome::Created);
  EXPECT_EQ(objects.create_mutex(alice, "m", b), model::CreateOutcome::Existed);
  EXPECT_EQ(objects.create_mutex(alice_again, "m", c), model::CreateOutcome::Created);
  EXPECT_EQ(objects.create_mutex(alice, "Global\\m", c), model::CreateOutcome::Created);
  EXPECT_TRUE(objects.open_mutex(alice_again, "Global\\m"));
  EXPECT_FALSE(objects.open_mutex(alice_again, "Local\\n"));
  // The object lasts while any handle does.
  objects.close(a);
  EXPECT_TRUE(objects.open_mutex(alice, "m"));
  objects.close(b);
  EXPECT_FALSE(objects.open_mutex(alice, "m"));
}

TEST(ObjectNamespace, AnotherUsersObjectUnderItsDefaultDaclIsDenied) {
  model::ObjectNamespace objects;
  const model::LogonSession alice{1, "S-alice"}, bob{2, "S-bob"};
  model::ObjectHandle a = 0, b = 7;
  ASSERT_EQ(objects.create_mutex(alice, "Global\\m", a), model::CreateOutcome::Created);
  EXPECT_EQ(objects.create_mutex(bob, "Global\\m", b), model::CreateOutcome::AccessDenied);
  EXPECT_EQ(b, 0u);
  bool denied = false;
  EXPECT_FALSE(objects.open_mutex(bob, "Global\\m", &denied));
  EXPECT_TRUE(denied);
  objects.close(a);
  EXPECT_EQ(objects.create_mutex(bob, "Global\\m", b), model::CreateOutcome::Created);
}

}  // namespace
}  // namespace qvx
