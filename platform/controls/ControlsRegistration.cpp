#include "platform/controls/ControlsRegistration.h"

#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/BarItem.h"
#include "platform/controls/Button.h"
#include "platform/controls/DateFormatter.h"
#include "platform/controls/DatePicker.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationBar.h"
#include "platform/controls/NavigationItem.h"
#include "platform/controls/PageControl.h"
#include "platform/controls/PickerView.h"
#include "platform/controls/ScrollView.h"
#include "platform/controls/SegmentedControl.h"
#include "platform/controls/TabBar.h"
#include "platform/controls/TableView.h"
#include "platform/controls/TableViewCell.h"
#include "platform/controls/TextField.h"
#include "platform/controls/TextView.h"
#include "platform/controls/Toolbar.h"
#include "platform/controls/WebView.h"
#include "platform/foundation/ClassBuilder.h"

namespace pf {

namespace {

void registerViews()
{
    ClassBuilder<Control>("Control")
        .superclass<View>()
        .property("enabled", &Control::isEnabled, &Control::setEnabled)
        .property("selected", &Control::isSelected, &Control::setSelected)
        .property("highlighted", &Control::isHighlighted, &Control::setHighlighted)
        .commit();
    ClassBuilder<Label>("Label")
        .superclass<View>()
        .property("text", &Label::text, &Label::setText)
        .property("numberOfLines", &Label::numberOfLines, &Label::setNumberOfLines)
        .commit();
    ClassBuilder<Button>("Button").superclass<Control>().property("title", &Button::title, &Button::setTitleText).commit();
    ClassBuilder<ImageView>("ImageView").superclass<View>().commit();
    ClassBuilder<ScrollView>("ScrollView")
        .superclass<View>()
        .property("delegate", &ScrollView::delegateObject, &ScrollView::setDelegateObject)
        .property("scrollEnabled", &ScrollView::isScrollEnabled, &ScrollView::setScrollEnabled)
        .property("pagingEnabled", &ScrollView::isPagingEnabled, &ScrollView::setPagingEnabled)
        .property("bounces", &ScrollView::bounces, &ScrollView::setBounces)
        .property("alwaysBounceVertical", &ScrollView::alwaysBounceVertical, &ScrollView::setAlwaysBounceVertical)
        .property("alwaysBounceHorizontal", &ScrollView::alwaysBounceHorizontal, &ScrollView::setAlwaysBounceHorizontal)
        .property("showsVerticalScrollIndicator", &ScrollView::showsVerticalScrollIndicator,
                  &ScrollView::setShowsVerticalScrollIndicator)
        .property("showsHorizontalScrollIndicator", &ScrollView::showsHorizontalScrollIndicator,
                  &ScrollView::setShowsHorizontalScrollIndicator)
        .property("scrollsToTop", &ScrollView::scrollsToTop, &ScrollView::setScrollsToTop)
        .property("minimumZoomScale", &ScrollView::minimumZoomScale, &ScrollView::setMinimumZoomScale)
        .property("maximumZoomScale", &ScrollView::maximumZoomScale, &ScrollView::setMaximumZoomScale)
        .property("decelerationRate", &ScrollView::decelerationRate, &ScrollView::setDecelerationRate)
        .commit();
    ClassBuilder<TableView>("TableView")
        .superclass<ScrollView>()
        .property("dataSource", &TableView::dataSourceObject, &TableView::setDataSourceObject)
        .property("rowHeight", &TableView::rowHeight, &TableView::setRowHeight)
        .property("sectionHeaderHeight", &TableView::sectionHeaderHeight, &TableView::setSectionHeaderHeight)
        .property("sectionFooterHeight", &TableView::sectionFooterHeight, &TableView::setSectionFooterHeight)
        .property("tableHeaderView", &TableView::tableHeaderView, &TableView::setTableHeaderView)
        .property("tableFooterView", &TableView::tableFooterView, &TableView::setTableFooterView)
        .commit();
    ClassBuilder<TableViewCell>("TableViewCell")
        .superclass<View>()
        .property("reuseIdentifier", &TableViewCell::reuseIdentifier, &TableViewCell::setReuseIdentifier)
        .commit();
    ClassBuilder<TextField>("TextField")
        .superclass<Control>()
        .property("text", &TextField::text, &TextField::setText)
        .property("placeholder", &TextField::placeholder, &TextField::setPlaceholder)
        .property("secureTextEntry", &TextField::isSecureTextEntry, &TextField::setSecureTextEntry)
        .property("delegate", &TextField::delegateObject, &TextField::setDelegateObject)
        .property("inputView", &TextField::inputView, &TextField::setInputView)
        .commit();
    ClassBuilder<TextView>("TextView")
        .superclass<ScrollView>()
        .property("text", &TextView::text, &TextView::setText)
        .property("editable", &TextView::isEditable, &TextView::setEditable)
        .property("inputView", &TextView::inputView, &TextView::setInputView)
        .commit();
    ClassBuilder<PageControl>("PageControl")
        .superclass<Control>()
        .property("numberOfPages", &PageControl::numberOfPages, &PageControl::setNumberOfPages)
        .property("currentPage", &PageControl::currentPage, &PageControl::setCurrentPage)
        .property("hidesForSinglePage", &PageControl::hidesForSinglePage, &PageControl::setHidesForSinglePage)
        .commit();
    ClassBuilder<SegmentedControl>("SegmentedControl")
        .superclass<Control>()
        .property("selectedSegmentIndex", &SegmentedControl::selectedSegmentIndex,
                  &SegmentedControl::setSelectedSegmentIndex)
        .property("momentary", &SegmentedControl::isMomentary, &SegmentedControl::setMomentary)
        .commit();
    ClassBuilder<ActivityIndicatorView>("ActivityIndicatorView")
        .superclass<View>()
        .property("hidesWhenStopped", &ActivityIndicatorView::hidesWhenStopped,
                  &ActivityIndicatorView::setHidesWhenStopped)
        .commit();
    ClassBuilder<PickerView>("PickerView")
        .superclass<View>()
        .property("dataSource", &PickerView::dataSourceObject, &PickerView::setDataSourceObject)
        .property("delegate", &PickerView::delegateObject, &PickerView::setDelegateObject)
        .commit();
    ClassBuilder<DatePicker>("DatePicker").superclass<Control>().commit();
    ClassBuilder<NavigationBar>("NavigationBar").superclass<View>().commit();
    ClassBuilder<Toolbar>("Toolbar").superclass<View>().commit();
    ClassBuilder<TabBar>("TabBar")
        .superclass<View>()
        .property("delegate", &TabBar::delegateObject, &TabBar::setDelegateObject)
        .commit();
    ClassBuilder<WebView>("WebView")
        .superclass<View>()
        .property("delegate", &WebView::delegateObject, &WebView::setDelegateObject)
        .commit();
}

void registerItems()
{
    ClassBuilder<BarItem>("BarItem")
        .property("title", &BarItem::title, &BarItem::setTitle)
        .property("enabled", &BarItem::isEnabled, &BarItem::setEnabled)
        .property("tag", &BarItem::tag, &BarItem::setTag)
        .commit();
    ClassBuilder<BarButtonItem>("BarButtonItem").superclass<BarItem>().commit();
    ClassBuilder<TabBarItem>("TabBarItem")
        .superclass<BarItem>()
        .property("badgeValue", &TabBarItem::badgeValue, &TabBarItem::setBadgeValue)
        .commit();
    ClassBuilder<NavigationItem>("NavigationItem")
        .property("title", &NavigationItem::title, &NavigationItem::setTitle)
        .property("leftBarButtonItem", &NavigationItem::leftBarButtonItem, &NavigationItem::setLeftBarButtonItem)
        .property("rightBarButtonItem", &NavigationItem::rightBarButtonItem, &NavigationItem::setRightBarButtonItem)
        .commit();
    ClassBuilder<DateFormatter>("DateFormatter")
        .property("dateFormat", &DateFormatter::dateFormat, &DateFormatter::setDateFormat)
        .commit();
}

}

void registerControlsClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerFoundationClasses();
    registerViews();
    registerItems();
}

}
