#include "CallTable.h"

// Standard categories: X 2, N 3, V 4, A 5, P 6; new records from 7. Record types: 3 category,
// 4 feature.
TEST(CTreeCalls, NameListsSlotsAndCategories) {
    const char* const three = ".newName 4 'case; .newName 4 'number; .newName 4 'person";
    const std::string freed = std::string(three) + "; .removeName 7; .removeName 9";
    const std::string two = ".newName 4 'case; .newName 4 'number";
    const std::string zero = "F(A B(C)); G; .newName 4 'case; .newName 4 'number; "
                             ".assign F 52 'nom; .assign C 52 'nom; .assign G 52 'nom; "
                             ".assign A 53 'sg; .assign A 52 'acc";
    const char* const words =
        "r; .setCitation r 'run; .setWordCategory r 4; d; .setCitation d 'dog; "
        ".setWordCategory d 3; b; .setCitation b 'bark; .setWordCategory b 4; "
        "bn; .setCitation bn 'bark; .setWordCategory bn 3; .newName 4 'mood; "
        ".newName 4 'case";
    const auto plus = [](const std::string& setup, const char* more) { return setup + more; };
    expectCalls({
        // A new grammar lists its categories newest first, with X blessed.
        {"",
         "names 3; names 4; blessed; name 2; type 2; type 6; cell 6 previousRoot; "
         "cell 5 previousRoot; cell 2 previousRoot",
         "=P,A,V,N,X - 2 X 3 3 0 6 3"},
        {"", "nextName 1; nextName 7; name 0; firstName 5",
         "=!getNextName !getNextName !getNameString !getFirstName"},
        // A new feature takes the highest free slot; only when every slot is owned does the
        // table widen.
        {"", "newName 4 'case; newName 4 'number; newName 4 'person ? owners; names 4",
         " =case,number,person person,number,case"},
        {three, "removeName 7; removeName 9 ? owners; names 4", " =-,number,- number"},
        {freed.c_str(), "newName 4 'gender ? owners", " =-,number,gender"},
        {plus(freed, "; .newName 4 'gender").c_str(), "newName 4 'tense ? owners",
         " =tense,number,gender"},
        {plus(freed, "; .newName 4 'gender; .newName 4 'tense").c_str(),
         "newName 4 'mood ? owners; names 4",
         " =tense,number,gender,mood mood,tense,gender,number"},
        // A removed name leaves its list from any place, and its record joins the free list.
        {"", "removeName 4 ? names 3; type 4; freeList", " =P,A,N,X 1 4"},
        {"", "removeName 6 ? names 3", " =A,V,N,X"},
        // The tail is the blessed category: nothing may go on naming its record.
        {"", "removeName 2 ? names 3; blessed", " =P,A,V,N 0"},
        // Stale runtime values (a first word, sort links) do not stop the removal.
        {".poke 5 nextWord 3; .poke 5 sortParent 5", "removeName 5 ? names 3", " =P,V,N,X"},
        {".removeName 5", "newName 3 'D ? names 3; type 5; name 5", " =D,P,V,N,X 3 D"},
        {"S", "removeName S", "!removeName"},
        {"", "removeName 1", "!removeName"},
        {".removeName 4", "removeName 4", "!removeName"},
        // Freeing a slot; nothing left to free is no change; a feature naming a slot another
        // owns leaves the owner alone.
        {two.c_str(), "deallocate 7 ? slotOf 7; owners", " =0 -,number"},
        {plus(two, "; .deallocate 7").c_str(), "deallocate 7", "=-"},
        {plus(two, "; .deallocate 7; .data 7 nextSister 53").c_str(),
         "deallocate 7 ? slotOf 7; owners", " =0 -,number"},
        {"", "deallocate 2", "!deallocateAttribute"},
        // Zeroing out empties the value on every node of every tree and nothing else.
        {zero.c_str(),
         "zeroOut 12 ? value F 12; value A 12; value B 12; value C 12; value G 12; value A 13",
         "G | F(A B(C)) =- - - - - sg"},
        {zero.c_str(), "zeroOut F", "!zeroOutAttribute"},
        // Deleting a feature as the features dialog does: its slot comes back empty.
        {zero.c_str(), "zeroOut 12; removeName 12; newName 4 'gender ? owners; value F 12",
         "G | F(A B(C)) =gender,number -"},
        // Features and their slots.
        {"R; .newName 4 'case; .assign R 52 'dat", "slotOf 8; owners; value R 8", "=52 case dat"},
        {"R; .newName 4 'case",
         "slotOf 3; slotOf R; slotOf 1; slotOf 0; featureOf 51; featureOf 53",
         "=!convertToAttributeIndex !convertToAttributeIndex !convertToAttributeIndex "
         "!convertToAttributeIndex !convertAttributeIndexToFeatureRecord "
         "!convertAttributeIndexToFeatureRecord"},
        {"R; .newName 4 'case", "value R R; value 8 8",
         "=!getAuthorFeatureValue !getAuthorFeatureValue"},
        // Only a record of type category in range is a category.
        {"R; .newName 4 'case",
         "isCategory 2; checkCategory 2; isCategory -1; isCategory 0; isCategory 1; isCategory 8; "
         "isCategory R; isCategory 9",
         "=1 - 0 0 0 0 0 0"},
        {"R; .newName 4 'case",
         "checkCategory -1; checkCategory 0; checkCategory 1; checkCategory 8; checkCategory R; "
         "checkCategory 9",
         "=!validateCategoryWithError !validateCategoryWithError !validateCategoryWithError "
         "!validateCategoryWithError !validateCategoryWithError !validateCategoryWithError"},
        // Labels convert exactly; "none" in any case means no category, even when one is
        // called so, and the first match in list order wins.
        {"",
         "categoryOf 'X; categoryOf 'p; categoryOf 'Q; categoryOf '; categoryOf 'none; "
         "categoryOf 'NONE; categoryOf 'NoNe",
         "=2 -1 -1 -1 0 0 0"},
        {".newName 3 'N; .newName 3 'None", "categoryOf 'N; categoryOf 'None", "=7 0"},
        // In use as a word category or on a daughter of an earlier tree; words need a category.
        {"O(D); W; .setWordCategory W 3; .data D category 4",
         "inUse 3; inUse 4; inUse 5; inUse W; firstWord 3; nextWord W; firstWord W; nextWord 3",
         "=1 1 0 !categoryIsInUse 0 0 !getFirstWordInCategory !getNextWordInCategory"},
        // Sorted lists: the count, then the records (1 words by citation form, 2 by category,
        // 3 categories, 4 features); sorting changes nothing.
        {"", "sorted 3; sorted 4; sorted 1", "=5,5,3,6,4,2 0 0"},
        {words, "sorted 1; sorted 2; sorted 4", "=4,bn,b,d,r 4,bn,d,b,r 2,12,11"},
        {"", "sorted 0; sorted 5; sorted -1", "=!getSortedList !getSortedList !getSortedList"},
        // Arbitrary names follow the record type and count undoably; the counter wraps.
        {"W; T; .newName 3; .newName 3; .newName 4",
         "makeName 9; makeName 10; makeName 11; makeName W; makeName T ? name 9; name 10; "
         "name 11; name W; name T; cell 1 wordCounter; cell 1 categoryCounter; "
         "cell 1 featureCounter",
         "New Word 1 | New Word 0 =X0 X1 Feature 0 New Word 0 New Word 1 2 2 1"},
        {".newName 3; .removeName 7", "makeName 7", "!CTree::makeArbitraryName (general error)"},
        {"", "makeName 0", "!makeArbitraryName"},
        {"W; .poke 1 wordCounter 2147483647", "makeName W ? name W; cell 1 wordCounter",
         "New Word 2147483647 =New Word 2147483647 -2147483648"},
    });
}

TEST_F(ModelFixture, CategoryLabelsNeedCategories) {
    CTree empty;
    ASSERT_EQ(empty.createTree(false), kNoErr);
    int32_t none = 7;
    EXPECT_EQ(empty.convertCategoryLabelToIndex(CRString("N", 1), none), kErrInvalidParameter);
    EXPECT_EQ(none, -1);
    EXPECT_EQ(reports(), RReports{"CTree::convertCategoryLabelToIndex (invalid parameter)"});
}
