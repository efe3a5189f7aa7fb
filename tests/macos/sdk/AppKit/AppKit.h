#pragma once
#import <Foundation/Foundation.h>

NS_ASSUME_NONNULL_BEGIN

// Geometry
typedef struct CGPoint { CGFloat x, y; } NSPoint;
typedef struct CGSize { CGFloat width, height; } NSSize;
typedef struct CGRect { NSPoint origin; NSSize size; } NSRect;
extern const NSRect NSZeroRect;
static inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return NSRect{{x, y}, {w, h}}; }
static inline NSSize NSMakeSize(CGFloat w, CGFloat h) { return NSSize{w, h}; }

// Colours, fonts, images
@interface NSColor : NSObject <NSCopying>
@property(class, strong, readonly) NSColor* labelColor, *secondaryLabelColor, *blackColor, *whiteColor, *systemGreenColor, *controlAccentColor, *windowBackgroundColor;
+ (NSColor*)colorWithSRGBRed:(CGFloat)red green:(CGFloat)green blue:(CGFloat)blue alpha:(CGFloat)alpha;
- (NSColor*)colorWithAlphaComponent:(CGFloat)alpha;
- (void)set;
@property(readonly) CGColorRef CGColor;
@end

typedef CGFloat NSFontWeight;
extern const NSFontWeight NSFontWeightUltraLight, NSFontWeightThin, NSFontWeightLight, NSFontWeightRegular, NSFontWeightMedium, NSFontWeightSemibold, NSFontWeightBold, NSFontWeightHeavy, NSFontWeightBlack;

@interface NSFont : NSObject <NSCopying>
+ (NSFont*)systemFontOfSize:(CGFloat)fontSize weight:(NSFontWeight)weight;
@end

typedef NS_ENUM(NSUInteger, NSCompositingOperation){};

@interface NSImageRep : NSObject <NSCopying>
@property NSSize size;
@property NSInteger pixelsWide;
@property NSInteger pixelsHigh;
@end

typedef NSString* NSColorSpaceName;
extern NSColorSpaceName const NSDeviceRGBColorSpace;

@interface NSBitmapImageRep : NSImageRep
- (nullable instancetype)initWithBitmapDataPlanes:(unsigned char* _Nullable* _Nullable)planes pixelsWide:(NSInteger)width pixelsHigh:(NSInteger)height bitsPerSample:(NSInteger)bps samplesPerPixel:(NSInteger)spp hasAlpha:(BOOL)alpha isPlanar:(BOOL)isPlanar colorSpaceName:(NSColorSpaceName)colorSpaceName bytesPerRow:(NSInteger)rBytes bitsPerPixel:(NSInteger)pBits;
@property(nullable, readonly) unsigned char* bitmapData;
@end

@interface NSImageSymbolConfiguration : NSObject <NSCopying>
+ (instancetype)configurationWithPointSize:(CGFloat)pointSize weight:(NSFontWeight)weight;
+ (instancetype)configurationWithPaletteColors:(NSArray<NSColor*>*)colors;
- (instancetype)configurationByApplyingConfiguration:(NSImageSymbolConfiguration*)configuration;
@end

typedef NSString* NSImageName;
extern NSImageName const NSImageNameApplicationIcon;

@interface NSImage : NSObject <NSCopying>
+ (nullable instancetype)imageWithSystemSymbolName:(NSString*)name accessibilityDescription:(nullable NSString*)description;
+ (nullable NSImage*)imageNamed:(NSImageName)name;
- (instancetype)initWithSize:(NSSize)size;
- (nullable NSImage*)imageWithSymbolConfiguration:(NSImageSymbolConfiguration*)configuration;
- (void)addRepresentation:(NSImageRep*)imageRep;
- (void)drawInRect:(NSRect)rect fromRect:(NSRect)fromRect operation:(NSCompositingOperation)op fraction:(CGFloat)delta;
@property NSSize size;
- (BOOL)isTemplate;
- (void)setTemplate:(BOOL)isTemplate;
@end

// Drawing
@interface NSGraphicsContext : NSObject
@property(class, nullable, strong) NSGraphicsContext* currentContext;
+ (NSGraphicsContext*)graphicsContextWithBitmapImageRep:(NSBitmapImageRep*)bitmapRep;
+ (void)saveGraphicsState;
+ (void)restoreGraphicsState;
- (void)flushGraphics;
@property NSCompositingOperation compositingOperation;
@end

@interface NSBezierPath : NSObject <NSCopying>
+ (NSBezierPath*)bezierPathWithRect:(NSRect)rect;
- (void)addClip;
@end

extern "C" void NSRectFillUsingOperation(NSRect rect, NSCompositingOperation op);

// Menus
@class NSMenu;
@interface NSMenuItem : NSObject <NSCopying>
+ (NSMenuItem*)separatorItem;
- (instancetype)initWithTitle:(NSString*)string action:(nullable SEL)selector keyEquivalent:(NSString*)charCode;
@property(getter=isEnabled) BOOL enabled;
@property(nullable, strong) NSImage* image;
@property(nullable, strong) NSMenu* submenu;
@property(nullable, weak) id target;
@property(nullable) SEL action;
@property(nullable, strong) id representedObject;
@end

@interface NSMenu : NSObject <NSCopying>
- (instancetype)initWithTitle:(NSString*)title;
@property BOOL autoenablesItems;
- (void)addItem:(NSMenuItem*)newItem;
@end

// Views and controls
@interface CALayer : NSObject
@property(nullable) CGColorRef backgroundColor;
@property CGFloat cornerRadius;
@end

typedef float NSLayoutPriority;
typedef NS_ENUM(NSInteger, NSLayoutConstraintOrientation) { NSLayoutConstraintOrientationHorizontal = 0 };

@interface NSResponder : NSObject
@end

@interface NSView : NSResponder
- (instancetype)initWithFrame:(NSRect)frameRect;
@property NSRect frame;
@property BOOL translatesAutoresizingMaskIntoConstraints;
@property BOOL wantsLayer;
@property(nullable, strong) CALayer* layer;
- (void)addSubview:(NSView*)view;
- (void)setContentHuggingPriority:(NSLayoutPriority)priority forOrientation:(NSLayoutConstraintOrientation)orientation;
@end

typedef NS_ENUM(NSInteger, NSTextAlignment) { NSTextAlignmentLeft = 0, NSTextAlignmentCenter = 1, NSTextAlignmentRight = 2, NSTextAlignmentNatural = 4 };

@interface NSControl : NSView
@property(copy) NSString* stringValue;
@property(nullable, strong) NSFont* font;
@property NSTextAlignment alignment;
@end

@interface NSTextField : NSControl
+ (instancetype)labelWithString:(NSString*)stringValue;
+ (instancetype)wrappingLabelWithString:(NSString*)stringValue;
@property(nullable, copy) NSColor* textColor;
@property(getter=isEditable) BOOL editable;
@end

typedef NS_ENUM(NSUInteger, NSBezelStyle){};

@interface NSButton : NSControl
+ (instancetype)buttonWithTitle:(NSString*)title target:(nullable id)target action:(nullable SEL)action;
@property(copy) NSString* title;
@property NSBezelStyle bezelStyle;
@property(getter=isBordered) BOOL bordered;
@property(nullable, copy) NSColor* contentTintColor;
@property(nullable, strong) NSImage* image;
@end

typedef NS_ENUM(NSUInteger, NSBoxType){};

@interface NSBox : NSView
@property NSBoxType boxType;
@end

@interface NSImageView : NSControl
@property(nullable, strong) NSImage* image;
@end

typedef NS_ENUM(NSInteger, NSLayoutAttribute) { NSLayoutAttributeTop = 3, NSLayoutAttributeBottom = 4, NSLayoutAttributeLeading = 5, NSLayoutAttributeTrailing = 6, NSLayoutAttributeWidth = 7, NSLayoutAttributeHeight = 8, NSLayoutAttributeCenterX = 9, NSLayoutAttributeCenterY = 10, NSLayoutAttributeNotAnAttribute = 0 };

typedef NS_ENUM(NSInteger, NSLayoutRelation){};

@interface NSLayoutConstraint : NSObject
+ (instancetype)constraintWithItem:(id)view1 attribute:(NSLayoutAttribute)attr1 relatedBy:(NSLayoutRelation)relation toItem:(nullable id)view2 attribute:(NSLayoutAttribute)attr2 multiplier:(CGFloat)multiplier constant:(CGFloat)c;
+ (void)activateConstraints:(NSArray<NSLayoutConstraint*>*)constraints;
@end

// Windows
typedef NS_OPTIONS(NSUInteger, NSWindowStyleMask){};

typedef NS_ENUM(NSUInteger, NSBackingStoreType) { NSBackingStoreBuffered = 2 };

typedef NS_ENUM(NSInteger, NSWindowTitleVisibility){};

typedef NSString* NSWindowFrameAutosaveName;
extern NSNotificationName const NSWindowWillCloseNotification;

@interface NSWindow : NSResponder
- (instancetype)initWithContentRect:(NSRect)contentRect styleMask:(NSWindowStyleMask)style backing:(NSBackingStoreType)backingStoreType defer:(BOOL)flag;
@property(getter=isReleasedWhenClosed) BOOL releasedWhenClosed;
- (BOOL)setFrameAutosaveName:(NSWindowFrameAutosaveName)name;
@property(copy) NSString* title;
@property NSWindowStyleMask styleMask;
@property BOOL titlebarAppearsTransparent;
@property NSWindowTitleVisibility titleVisibility;
@property(getter=isMovableByWindowBackground) BOOL movableByWindowBackground;
@property(nullable, strong) __kindof NSView* contentView;
@property(readonly, getter=isVisible) BOOL visible;
- (void)center;
- (void)makeKeyAndOrderFront:(nullable id)sender;
- (void)orderFront:(nullable id)sender;
- (void)orderOut:(nullable id)sender;
- (void)close;
@end

// Status bar
@interface NSStatusBarButton : NSButton
@end

@interface NSStatusItem : NSObject
@property CGFloat length;
@property(nullable, readonly, strong) NSStatusBarButton* button;
@property(nullable, strong) NSMenu* menu;
@end

@interface NSStatusBar : NSObject
@property(class, readonly, strong) NSStatusBar* systemStatusBar;
- (NSStatusItem*)statusItemWithLength:(CGFloat)length;
@end

// Alerts
typedef NS_ENUM(NSUInteger, NSAlertStyle){};
typedef NSInteger NSModalResponse;

@interface NSAlert : NSObject
@property(copy) NSString* messageText, *informativeText;
@property NSAlertStyle alertStyle;
- (NSButton*)addButtonWithTitle:(NSString*)title;
- (NSModalResponse)runModal;
@end

// Pasteboard and workspace
typedef NSString* NSPasteboardType;

@interface NSPasteboard : NSObject
@property(class, readonly, strong) NSPasteboard* generalPasteboard;
- (NSInteger)clearContents;
- (BOOL)setString:(NSString*)string forType:(NSPasteboardType)dataType;
@end

@interface NSWorkspace : NSObject
@property(class, readonly, strong) NSWorkspace* sharedWorkspace;
- (BOOL)openURL:(NSURL*)url;
- (nullable NSURL*)URLForApplicationWithBundleIdentifier:(NSString*)bundleIdentifier;
- (void)activateFileViewerSelectingURLs:(NSArray<NSURL*>*)fileURLs;
@end

// The application
typedef NS_ENUM(NSInteger, NSApplicationActivationPolicy){};

@class NSApplication;
@protocol NSApplicationDelegate <NSObject>
@optional
- (void)applicationDidFinishLaunching:(NSNotification*)notification;
- (void)application:(NSApplication*)application openURLs:(NSArray<NSURL*>*)urls;
- (void)applicationDidBecomeActive:(NSNotification*)notification;
@end

@interface NSApplication : NSResponder
@property(class, readonly, strong) __kindof NSApplication* sharedApplication;
@property(nullable, weak) id<NSApplicationDelegate> delegate;
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
- (NSApplicationActivationPolicy)activationPolicy;
- (void)activate;
- (void)orderFrontStandardAboutPanel:(nullable id)sender;
- (void)terminate:(nullable id)sender;
@property(null_resettable, strong) NSImage* applicationIconImage;
- (void)run;
@end

extern __kindof NSApplication* _Null_unspecified NSApp;

NS_ASSUME_NONNULL_END
