// The function item manager: numbering of new items, the private buffer copies (replaced,
// kept on size 0, independent of the caller's buffer, deep-copied with the collection) and
// RunIt.
#include <gtest/gtest.h>

#include "config/toolkit/uiFunctionManager.h"

#include <cstring>
#include <stdexcept>

namespace {

TEST(FunctionManager, NewItemsTakeTheLowestFreeDefaultName) {
    struct Case {
        QStringList existing;  // names of the items present
        int deleteAt;          // index deleted before the new item is added, or -1
        QString name;
        quint32 id;
    };
    const Case cases[] = {
        {{}, -1, "Item1", 1},
        {{"", ""}, -1, "Item3", 3},
        {{"", "", ""}, 1, "Item2", 2},  // the deleted Item2 is free again
        {{"ITEM1"}, -1, "Item2", 2},    // case-insensitive
        {{"Item1", "ITEM2", "Item4"}, -1, "Item3", 3},
        {{"Item01", "Macro"}, -1, "Item1", 1},  // only the exact default names count
    };
    for (const Case& c : cases) {
        TuiFunctionManager m;
        for (const QString& n : c.existing) {
            TuiFunctionItem* it = m.Items().Add();
            if (!n.isEmpty()) it->SetName(n);
        }
        if (c.deleteAt >= 0) m.Items().Delete(c.deleteAt);
        TuiFunctionItem* added = m.Items().Add();
        EXPECT_EQ(added->Name(), c.name) << c.existing.join(',').toStdString();
        EXPECT_EQ(added->ItemID(), c.id) << c.existing.join(',').toStdString();
        EXPECT_EQ(added->GetOwner(), &m.Items());
        EXPECT_EQ(m.Items().GetOwner(), &m);
    }
}

TEST(FunctionManager, ItemsOutsideTheCollectionThrowAndChangeNothing) {
    TuiFunctionManager m;
    m.Items().Add();
    EXPECT_THROW(m.Items().Items(1), std::out_of_range);
    EXPECT_THROW(m.Items().Items(-1), std::out_of_range);
    EXPECT_THROW(m.Items().Delete(3), std::out_of_range);
    EXPECT_EQ(m.Items().Count(), 1);
}

TEST(FunctionManager, BufferIsAPrivateCopyThatSizeZeroKeeps) {
    TuiFunctionManager m;
    TuiFunctionItem* it = m.Items().Add();
    EXPECT_EQ(it->BufferPointer(), nullptr);
    EXPECT_EQ(it->GetBufferSize(), 0u);
    unsigned char out[16] = {0xEE};
    EXPECT_FALSE(it->GetBuffer(out));  // nothing stored: nothing copied
    EXPECT_EQ(out[0], 0xEE);

    unsigned char src[16];
    for (int i = 0; i < 16; ++i) src[i] = static_cast<unsigned char>(i + 1);
    it->SetBuffer(src, 16);
    src[0] = 99;            // the caller changes its buffer: the copy stays
    it->SetBuffer(src, 0);  // size 0 keeps the copy
    EXPECT_EQ(it->GetBufferSize(), 16u);
    ASSERT_TRUE(it->GetBuffer(out));
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[15], 16);

    // A new buffer replaces the copy (the old block is freed: the leak checker sees it).
    const unsigned char small[4] = {7, 8, 9, 10};
    it->SetBuffer(small, 4);
    EXPECT_EQ(it->GetBufferSize(), 4u);
    EXPECT_EQ(std::memcmp(it->BufferPointer(), small, 4), 0);
}

TEST(FunctionManager, RunItPassesIdBufferAndSize) {
    TuiFunctionManager m;
    m.Items().Add();
    TuiFunctionItem* it = m.Items().Add();
    it->RunIt();  // no handler: nothing happens

    int calls = 0, id = -1;
    void* ptr = reinterpret_cast<void*>(1);
    quint32 size = 99;
    it->SetOnExecute([&](int AFunctionID, void* p, quint32 s) {
        ++calls;
        id = AFunctionID;
        ptr = p;
        size = s;
    });
    it->RunIt();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(id, 2);
    EXPECT_EQ(ptr, nullptr);
    EXPECT_EQ(size, 0u);

    const int value = 0x01020304;
    it->SetBuffer(&value, 4);
    it->RunIt();
    EXPECT_EQ(ptr, it->BufferPointer());
    EXPECT_NE(ptr, static_cast<const void*>(&value));
    EXPECT_EQ(size, 4u);
}

TEST(FunctionManager, CopyingACollectionCopiesEveryBuffer) {
    TuiFunctionManager target;
    {
        TuiFunctionManager source;
        TuiFunctionItem* a = source.Items().Add();
        a->SetName("Fire");
        a->SetDescription("long");
        const char bytes[3] = {'a', 'b', 'c'};
        a->SetBuffer(bytes, 3);
        source.Items().Add();
        target.SetItems(source.Items());
        ASSERT_EQ(target.Items().Count(), 2);
        EXPECT_NE(target.Items().Items(0)->BufferPointer(), a->BufferPointer());
        a->SetBuffer("xyz", 3);
    }  // the source and its buffers are gone: the copies stay valid
    TuiFunctionItem* copy = target.Items().Items(0);
    EXPECT_EQ(copy->Name(), "Fire");
    EXPECT_EQ(copy->Description(), "long");
    EXPECT_EQ(copy->GetOwner(), &target.Items());
    ASSERT_EQ(copy->GetBufferSize(), 3u);
    EXPECT_EQ(std::memcmp(copy->BufferPointer(), "abc", 3), 0);
    EXPECT_EQ(target.Items().Items(1)->BufferPointer(), nullptr);
}

}  // namespace
