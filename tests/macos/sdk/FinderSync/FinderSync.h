#pragma once
#import <AppKit/AppKit.h>

NS_ASSUME_NONNULL_BEGIN

typedef NS_ENUM(NSUInteger, FIMenuKind) { FIMenuKindContextualMenuForItems = 0, FIMenuKindContextualMenuForContainer = 1, FIMenuKindContextualMenuForSidebar = 2, FIMenuKindToolbarItemMenu = 3 };

@interface FIFinderSyncController : NSObject
+ (FIFinderSyncController*)defaultController;
@property(copy) NSSet<NSURL*>* directoryURLs;
- (nullable NSArray<NSURL*>*)selectedItemURLs;
- (nullable NSURL*)targetedURL;
@property(class, readonly, getter=isExtensionEnabled) BOOL extensionEnabled;
+ (void)showExtensionManagementInterface;
@end

@protocol FIFinderSyncProtocol
@optional
- (nullable NSMenu*)menuForMenuKind:(FIMenuKind)menuKind;
@end

@interface FIFinderSync : NSObject <FIFinderSyncProtocol>
@end

NS_ASSUME_NONNULL_END
