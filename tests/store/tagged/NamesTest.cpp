#include "StreamBytes.h"

#include "store/tagged/QelBinaryStreamData.h"

#include <gtest/gtest.h>

TEST(AttributeNames, PlaceholdersAndStrictRenames)
{
    TQelBinaryTag tag;
    TQelBinaryAttribute *a = tag.AddAttribute<TQelBinaryByte>("A");
    EXPECT_EQ(tag.AddAttribute<TQelBinaryByte>("")->Name(), "_");
    EXPECT_EQ(tag.AddAttribute<TQelBinaryByte>("A")->Name(), "_2");    // taken
    EXPECT_EQ(tag.AddAttribute<TQelBinaryByte>("x.y")->Name(), "_3");  // separator
    TQelBinaryAttribute *b = tag.AddAttribute<TQelBinaryByte>("B");

    EXPECT_FALSE(b->SetName("A"));
    EXPECT_FALSE(b->SetName(""));
    EXPECT_FALSE(b->SetName("B.1"));
    EXPECT_EQ(b->Name(), "B");
    EXPECT_TRUE(b->SetName("B"));
    EXPECT_TRUE(a->SetName("Renamed"));
    EXPECT_TRUE(b->SetName("A")); // free again
    EXPECT_EQ(tag.FindAttribute("A"), b);
    EXPECT_EQ(tag.FindAttribute("Renamed"), a);
    EXPECT_EQ(tag.FindAttribute("a"), nullptr); // case-sensitive

    // A freed placeholder is handed out again before higher ones.
    ASSERT_TRUE(tag.FindAttribute("_2")->SetName("Named"));
    EXPECT_EQ(tag.AddAttribute<TQelBinaryByte>("")->Name(), "_2");
    EXPECT_EQ(tag.AddAttribute<TQelBinaryByte>("")->Name(), "_4");

    const QByteArray longName(300, 'n');
    EXPECT_EQ(tag.AddAttribute<TQelBinaryByte>(longName)->Name(), longName.left(255));
    EXPECT_EQ(tag.FindAttribute(longName.left(255))->Name().size(), 255);
}

TEST(AttributeNames, DuplicatesInAStreamKeepPlaceholders)
{
    const QByteArray stream = TStreamBytes().Header().Short("").U32(3)
        .U8(10).Short("Dup").U8(0).U8(1)
        .U8(10).Short("Dup").U8(0).U8(2)
        .U8(10).Short("").U8(0).U8(3)
        .U32(0);
    TQelBinaryStreamData doc;
    ASSERT_EQ(doc.LoadFromBytes(stream), lrOk);
    ASSERT_EQ(doc.Attributes().Count(), 3);
    EXPECT_EQ(doc.FindAttributeAs<TQelBinaryByte>("Dup")->Value(), 1);
    EXPECT_EQ(doc.Attributes().Items(1)->Name(), "_");
    EXPECT_EQ(doc.Attributes().Items(2)->Name(), "_2");
}

TEST(AttributeNames, CopiesIntoAnotherTagAreMadeUnique)
{
    TQelBinaryTag source;
    source.AddAttribute<TQelBinaryByte>("Limit")->SetValue(7);
    source.AddAttribute<TQelBinaryWord>("Other");
    source.AddTag("child")->AddAttribute<TQelBinaryShortString>("S")->SetValue("v");

    TQelBinaryTag target;
    target.AddAttribute<TQelBinaryByte>("Limit");
    target.AddAttribute<TQelBinaryByte>("Limit2");
    EXPECT_EQ(target.Attributes().AddCopy(*source.FindAttribute("Limit"))->Name(), "Limit3");
    EXPECT_EQ(target.FindAttributeAs<TQelBinaryByte>("Limit3")->Value(), 7);

    TQelBinaryTag copy;
    copy.AddAttribute<TQelBinaryByte>("Gone");
    copy.Assign(source);
    EXPECT_FALSE(copy.FindAttribute("Gone"));
    EXPECT_EQ(copy.FindAttributeAs<TQelBinaryByte>("Limit")->Value(), 7);
    EXPECT_TRUE(copy.FindAttribute("Other")->IsNull());
    EXPECT_EQ(copy.FindTag("child")->FindAttributeAs<TQelBinaryShortString>("S")->Value(), "v");

    // A tag can take over the content of its own descendant.
    TQelBinaryTag *grandchild = copy.FindTag("child")->AddTag("grandchild");
    grandchild->AddAttribute<TQelBinaryByte>("G")->SetValue(9);
    grandchild->AddTag("leaf");
    copy.Assign(*grandchild);
    EXPECT_EQ(copy.Name(), "grandchild");
    EXPECT_EQ(copy.FindAttributeAs<TQelBinaryByte>("G")->Value(), 9);
    EXPECT_FALSE(copy.FindAttribute("Limit"));
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.Tags(0)->Name(), "leaf");

    // Assigning an attribute of another class takes name and null flag only.
    TQelBinaryTag tag;
    auto *word = tag.AddAttribute<TQelBinaryWord>("W");
    word->Assign(*source.FindAttribute("Limit"));
    EXPECT_EQ(word->Name(), "Limit");
    EXPECT_FALSE(word->IsNull());
    EXPECT_EQ(word->Value(), 0);
}

TEST(Documents, ClearEmptiesTreeAttributesAndHeader)
{
    TQelBinaryStreamData doc;
    doc.SetFileType(QByteArray(300, 't'));
    EXPECT_EQ(doc.FileType().size(), 255);
    doc.SetFileVersion("1.1");
    doc.AddAttribute<TQelBinaryByte>("A");
    doc.AddTag("T")->AddTag("U");
    doc.Clear();
    EXPECT_EQ(doc.SaveToBytes(), TStreamBytes().Header().Short("").U32(0).U32(0).Bytes());
    EXPECT_EQ(doc.AddAttribute<TQelBinaryByte>("")->Name(), "_"); // names were released too
}
