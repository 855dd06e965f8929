#include "config/registry_tree.h"

#include <string>

#include "config/registry_test_key.h"

namespace hvn {
namespace {

using test::RegistryTest;
using Names = std::vector<std::string>;

// A tree with values at every level, key classes and four levels of depth.
void BuildSampleTree(const test::RegistryTestKey& tree, const std::string& at) {
  tree.CreateKey(at, "TopClass");
  tree.SetValue(at, "Text", REG_SZ, std::string("hello\0", 6));
  tree.SetValue(at, "", REG_SZ, std::string("default\0", 8));
  tree.SetDword(at, "Number", 42);
  tree.CreateKey(at + "\\One", "OneClass");
  tree.SetValue(at + "\\One", "Bin", REG_BINARY, std::string("\x00\x01\x02", 3));
  tree.CreateKey(at + "\\One\\Deep\\Deeper", "DeepClass");
  tree.SetValue(at + "\\One\\Deep\\Deeper", "Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  tree.CreateKey(at + "\\Two");
}

// Every key, class and value below `a` equals the one below `b`.
void ExpectSameTree(const test::RegistryTestKey& tree, const std::string& a, const std::string& b) {
  EXPECT_EQ(tree.KeyClass(a), tree.KeyClass(b)) << a;
  Names values = tree.ValueNames(a);
  EXPECT_EQ(values, tree.ValueNames(b)) << a;
  for (const std::string& name : values) {
    DWORD type_a = 0, type_b = 0;
    std::string bytes_a, bytes_b;
    ASSERT_TRUE(tree.GetValue(a, name.c_str(), &type_a, &bytes_a));
    ASSERT_TRUE(tree.GetValue(b, name.c_str(), &type_b, &bytes_b)) << b << " " << name;
    EXPECT_EQ(type_a, type_b) << a << " " << name;
    EXPECT_EQ(bytes_a, bytes_b) << a << " " << name;
  }
  Names subkeys = tree.SubkeyNames(a);
  EXPECT_EQ(subkeys, tree.SubkeyNames(b)) << a;
  for (const std::string& child : subkeys) ExpectSameTree(tree, a + "\\" + child, b + "\\" + child);
}

// A chain of keys of 200-character names below `at` whose full path passes `length` bytes.
std::vector<std::string> BuildLongChain(const test::RegistryTestKey& tree, const std::string& at,
                                        size_t length) {
  std::vector<std::string> names;
  for (size_t path = at.size(); path <= length; path += 201) names.push_back(std::string(200, 'k'));
  tree.CreateChain(at, names);
  return names;
}

using DeleteRegistryTreeTest = RegistryTest;

TEST_F(DeleteRegistryTreeTest, DeletesEveryLevelAndLeavesSiblings) {
  BuildSampleTree(tree_, "Doomed");
  BuildSampleTree(tree_, "Sibling");
  EXPECT_EQ(DeleteRegistryTree(tree_.root(), "Doomed"), 0u);
  EXPECT_FALSE(tree_.KeyExists("Doomed"));
  EXPECT_EQ(tree_.SubkeyNames(""), Names{"Sibling"});
  EXPECT_TRUE(tree_.KeyExists("Sibling\\One\\Deep\\Deeper"));
}

TEST_F(DeleteRegistryTreeTest, DeletesAKeyInTheMiddleOfAPath) {
  BuildSampleTree(tree_, "Top");
  EXPECT_EQ(DeleteRegistryTree(tree_.root(), "TOP\\one"), 0u);
  EXPECT_EQ(tree_.SubkeyNames("Top"), Names{"Two"});
}

TEST_F(DeleteRegistryTreeTest, RefusesMissingKeysAndEmptyPaths) {
  BuildSampleTree(tree_, "Kept");
  EXPECT_EQ(DeleteRegistryTree(tree_.root(), "Missing"), 2u);
  EXPECT_EQ(DeleteRegistryTree(tree_.root(), ""), 87u);
  EXPECT_EQ(DeleteRegistryTree(tree_.root(), nullptr), 87u);
  EXPECT_TRUE(tree_.KeyExists("Kept\\One\\Deep\\Deeper"));
}

TEST_F(DeleteRegistryTreeTest, DeletesAVeryDeepTree) {
  std::string path = "Deep";
  for (int level = 0; level < 120; ++level) path += "\\L";
  tree_.CreateKey(path);
  EXPECT_EQ(DeleteRegistryTree(tree_.root(), "Deep"), 0u);
  EXPECT_FALSE(tree_.KeyExists("Deep"));
}

using CopyRegistryTreeTest = RegistryTest;

TEST_F(CopyRegistryTreeTest, EmptyKeyGivesAnEmptyTargetWithTheClass) {
  tree_.CreateKey("Empty");
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "Empty", "Copy\\Of\\Empty", "GivenClass"), 0u);
  EXPECT_TRUE(tree_.KeyExists("Copy\\Of\\Empty"));
  EXPECT_TRUE(tree_.SubkeyNames("Copy\\Of\\Empty").empty());
  EXPECT_TRUE(tree_.ValueNames("Copy\\Of\\Empty").empty());
  EXPECT_EQ(tree_.KeyClass("Copy\\Of\\Empty"), "GivenClass");
  EXPECT_TRUE(tree_.KeyExists("Empty"));
}

TEST_F(CopyRegistryTreeTest, CopiesValuesSubkeysAndClasses) {
  BuildSampleTree(tree_, "Source");
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "Source", "Target", "TopClass"), 0u);
  ExpectSameTree(tree_, "Source", "Target");
}

TEST_F(CopyRegistryTreeTest, MergesIntoAnExistingTarget) {
  BuildSampleTree(tree_, "Source");
  tree_.CreateKey("Target\\Own");
  tree_.SetValue("Target", "Text", REG_SZ, std::string("replaced\0", 9));
  tree_.SetDword("Target", "Kept", 7);
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "Source", "Target", nullptr), 0u);
  std::string bytes;
  ASSERT_TRUE(tree_.GetValue("Target", "Text", nullptr, &bytes));
  EXPECT_EQ(bytes, std::string("hello\0", 6));
  EXPECT_TRUE(tree_.GetValue("Target", "Kept", nullptr, nullptr));
  EXPECT_EQ(tree_.SubkeyNames("Target"), (Names{"One", "Own", "Two"}));
  ExpectSameTree(tree_, "Source\\One", "Target\\One");
}

TEST_F(CopyRegistryTreeTest, MissingSourceCreatesNothing) {
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "Missing", "Target", nullptr), 2u);
  EXPECT_FALSE(tree_.KeyExists("Target"));
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "", "Target", nullptr), 87u);
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "Missing", "", nullptr), 87u);
}

TEST_F(CopyRegistryTreeTest, RefusesAChildPathBeyondTheBuffer) {
  std::vector<std::string> chain = BuildLongChain(tree_, "Source", kRegistryPathSize);
  tree_.SetDword("Source", "Top", 1);
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "Source", "Target", nullptr),
            static_cast<uint32_t>(test::kPathTooLong));
  EXPECT_TRUE(tree_.ChainExists("Source", chain));                 // the source is untouched
  EXPECT_TRUE(tree_.GetValue("Target", "Top", nullptr, nullptr));  // a partial copy stays
}

TEST_F(CopyRegistryTreeTest, CopyIntoItsOwnSubtreeEnds) {
  tree_.CreateKey("Loop");
  tree_.SetDword("Loop", "V", 1);
  EXPECT_EQ(CopyRegistryTree(tree_.root(), "Loop", "Loop\\Inner", nullptr),
            static_cast<uint32_t>(test::kPathTooLong));
}

using MoveRegistryTreeTest = RegistryTest;

TEST_F(MoveRegistryTreeTest, MovesTheTreeWithItsClass) {
  BuildSampleTree(tree_, "Source");
  BuildSampleTree(tree_, "Reference");
  bool copy_failed = true;
  EXPECT_EQ(MoveRegistryTree(tree_.root(), "Source", "New\\Place", &copy_failed), 0u);
  EXPECT_FALSE(copy_failed);
  EXPECT_FALSE(tree_.KeyExists("Source"));
  ExpectSameTree(tree_, "Reference", "New\\Place");
}

TEST_F(MoveRegistryTreeTest, MergesOntoAnExistingTargetThenDeletesTheSource) {
  BuildSampleTree(tree_, "Source");
  tree_.CreateKey("Target\\Own", "OwnClass");
  tree_.SetDword("Target", "Number", 1);
  tree_.SetDword("Target", "Kept", 2);
  EXPECT_EQ(MoveRegistryTree(tree_.root(), "Source", "Target"), 0u);
  EXPECT_FALSE(tree_.KeyExists("Source"));
  EXPECT_EQ(tree_.SubkeyNames("Target"), (Names{"One", "Own", "Two"}));
  EXPECT_EQ(tree_.ValueNames("Target"), (Names{"", "Kept", "Number", "Text"}));
  std::string bytes;
  ASSERT_TRUE(tree_.GetValue("Target", "Number", nullptr, &bytes));
  EXPECT_EQ(bytes, std::string("\x2A\0\0\0", 4));
  EXPECT_EQ(tree_.KeyClass("Target\\Own"), "OwnClass");
}

TEST_F(MoveRegistryTreeTest, FailedCopyDeletesNothing) {
  std::vector<std::string> chain = BuildLongChain(tree_, "Source", kRegistryPathSize);
  bool copy_failed = false;
  EXPECT_EQ(MoveRegistryTree(tree_.root(), "Source", "Target", &copy_failed),
            static_cast<uint32_t>(test::kPathTooLong));
  EXPECT_TRUE(copy_failed);
  EXPECT_TRUE(tree_.ChainExists("Source", chain));
  EXPECT_EQ(MoveRegistryTree(tree_.root(), "Missing", "Target2", &copy_failed), 2u);
  EXPECT_FALSE(copy_failed);
  EXPECT_FALSE(tree_.KeyExists("Target2"));
}

}  // namespace
}  // namespace hvn
