#include "QtPrinters.h"

#include "mainwindow/Commands.h"

#include <gtest/gtest.h>

using namespace quibo;

namespace {
// Each item as "path>text=id"; separators as "path>-".
void flatten(const QList<MenuItem> &items, const QString &path, QStringList &out)
{
    for (const MenuItem &item : items) {
        const QString prefix = path.isEmpty() ? QString() : path + u'>';
        if (item.isSeparator())
            out.append(prefix + u'-');
        else if (!item.children.isEmpty())
            flatten(item.children, prefix + item.text, out);
        else
            out.append(prefix + item.text + u'=' + QString::number(item.id));
    }
}

QStringList flat(const QList<MenuItem> &items)
{
    QStringList out;
    flatten(items, {}, out);
    return out;
}

QStringList lines(std::initializer_list<const char16_t *> texts)
{
    QStringList out;
    for (const char16_t *text : texts)
        out.append(QString::fromUtf16(text));
    return out;
}
} // namespace

TEST(Menus, MenuBarInOrderWithItsEmptyEntries)
{
    EXPECT_EQ(flat(mainMenuBar()), lines({
                                       u"&File>&Host Chat Channel=32777",
                                       u"&File>-",
                                       u"&File>My Web Page=32827",
                                       u"&File>My User Info=32828",
                                       u"&File>-",
                                       u"&File>E&xit=32771",
                                       u"=15421",
                                       u"&Config>&Manage Contacts=32773",
                                       u"&Config>&Change Your Info=32819",
                                       u"=12345",
                                       u"&Help>&Contents=32811",
                                       u"&Help>&About Quibo32=32813",
                                       u"&Help>&Quibo Web Site=32816",
                                   }));
    for (const MenuItem &top : mainMenuBar())
        EXPECT_FALSE(top.isSeparator()) << "the empty entries are items, not separators";
}

TEST(Menus, ContactMenuInOrder)
{
    EXPECT_EQ(flat(contactMenu()), lines({
                                       u"Send Message=32782",
                                       u"Send Smiley>Smile=32791",
                                       u"Send Smiley>Frown=32792",
                                       u"Send Smiley>Wink=32793",
                                       u"Send Smiley>Kiss=32800",
                                       u"Send Smiley>AAHHH!=32798",
                                       u"Send Smiley>Possessed=32799",
                                       u"Send Smiley>Oops!=32801",
                                       u"Send Sound>LOL=32794",
                                       u"Send Sound>Incoming!=32808",
                                       u"Send Sound>Applause=32796",
                                       u"Send Sound>Kiss=32797",
                                       u"Send Sound>Shoot 'Em=32802",
                                       u"Send Sound>Boing!=32803",
                                       u"Send Sound>Whip It!=32805",
                                       u"Send Sound>Woof!=32824",
                                       u"Send Sound>Hurl=32810",
                                       u"Send Sound>Cat Fight=32823",
                                       u"Send File=32821",
                                       u"-",
                                       u"Private Chat=32783",
                                       u"Join Chat Channel=32790",
                                       u"-",
                                       u"Contact's Web Page=32825",
                                       u"Personal Info=32826",
                                   }));
}
