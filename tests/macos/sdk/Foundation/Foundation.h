#pragma once
#import <CoreFoundation/CoreFoundation.h>
#import <Foundation/NSObject.h>

NS_ASSUME_NONNULL_BEGIN

@class NSArray<ObjectType>;
@class NSDictionary<KeyType, ObjectType>;

// NSString
typedef NSUInteger NSStringEncoding;
static const NSStringEncoding NSUTF8StringEncoding = 4;

@interface NSString : NSObject <NSCopying>
- (nullable instancetype)initWithBytes:(const void*)bytes length:(NSUInteger)len encoding:(NSStringEncoding)encoding;
@property(nullable, readonly) const char* UTF8String __attribute__((objc_returns_inner_pointer));
- (BOOL)isEqualToString:(NSString*)aString;
@end

// Collections
typedef struct {
    unsigned long state;
    id __unsafe_unretained _Nullable* _Nullable itemsPtr;
    unsigned long* _Nullable mutationsPtr;
    unsigned long extra[5];
} NSFastEnumerationState;

@protocol NSFastEnumeration
- (NSUInteger)countByEnumeratingWithState:(NSFastEnumerationState*)state objects:(id __unsafe_unretained _Nullable[_Nonnull])buffer count:(NSUInteger)len;
@end

@interface NSArray<__covariant ObjectType> : NSObject <NSFastEnumeration>
@end

@interface NSMutableArray<ObjectType> : NSArray<ObjectType>
+ (instancetype)array;
+ (instancetype)arrayWithCapacity:(NSUInteger)numItems;
- (void)addObject:(ObjectType)anObject;
@end

@interface NSDictionary<__covariant KeyType, __covariant ObjectType> : NSObject
+ (instancetype)dictionaryWithObjects:(const ObjectType _Nonnull[_Nullable])objects forKeys:(const KeyType _Nonnull[_Nullable])keys count:(NSUInteger)cnt;
- (nullable ObjectType)objectForKeyedSubscript:(KeyType)key;
@end

@interface NSSet<__covariant ObjectType> : NSObject
@end

@interface NSMutableSet<ObjectType> : NSSet<ObjectType>
+ (instancetype)setWithCapacity:(NSUInteger)numItems;
- (void)addObject:(ObjectType)object;
@end

@interface NSNumber : NSObject
+ (NSNumber*)numberWithBool:(BOOL)value;
@property(readonly) BOOL boolValue;
@property(readonly) int intValue;
@end

// NSError
typedef NSString* NSErrorDomain;
typedef NSString* NSErrorUserInfoKey;
extern NSErrorDomain const NSPOSIXErrorDomain;
extern NSErrorUserInfoKey const NSUnderlyingErrorKey;
enum : NSInteger {
    NSFileNoSuchFileError = 4,
    NSFileReadNoSuchFileError = 260,
    NSFileWriteFileExistsError = 516,
};

@interface NSError : NSObject
@property(readonly, copy) NSErrorDomain domain;
@property(readonly) NSInteger code;
@property(readonly, copy) NSDictionary<NSErrorUserInfoKey, id>* userInfo;
@property(readonly, copy) NSString* localizedDescription;
@end

// NSURL
typedef NSString* NSURLResourceKey;
extern const NSURLResourceKey NSURLIsDirectoryKey;

@interface NSURL : NSObject <NSCopying>
+ (NSURL*)fileURLWithPath:(NSString*)path;
+ (nullable instancetype)URLWithString:(NSString*)URLString;
@property(readonly, getter=isFileURL) BOOL fileURL;
@property(nullable, readonly, copy) NSString* path, *absoluteString;
- (BOOL)getResourceValue:(out id _Nullable* _Nonnull)value forKey:(NSURLResourceKey)key error:(out NSError* _Nullable* _Nullable)error;
@end

// NSData
typedef NS_OPTIONS(NSUInteger, NSDataWritingOptions) { NSDataWritingAtomic = 1UL << 0, NSDataWritingWithoutOverwriting = 1UL << 1 };

@interface NSData : NSObject <NSCopying>
+ (instancetype)dataWithBytes:(nullable const void*)bytes length:(NSUInteger)length;
- (BOOL)writeToURL:(NSURL*)url options:(NSDataWritingOptions)writeOptionsMask error:(NSError**)errorPtr;
@end

// NSFileManager
typedef NSString* NSFileAttributeKey;

@interface NSFileManager : NSObject
@property(class, readonly, strong) NSFileManager* defaultManager;
- (nullable NSURL*)containerURLForSecurityApplicationGroupIdentifier:(NSString*)groupIdentifier;
- (nullable NSDictionary<NSFileAttributeKey, id>*)attributesOfItemAtPath:(NSString*)path error:(NSError**)error;
- (BOOL)removeItemAtURL:(NSURL*)URL error:(NSError**)error;
- (BOOL)trashItemAtURL:(NSURL*)url resultingItemURL:(NSURL* _Nullable* _Nullable)outResultingURL error:(NSError**)error;
- (nullable NSArray<NSString*>*)contentsOfDirectoryAtPath:(NSString*)path error:(NSError**)error;
@end

extern "C" NSString* NSHomeDirectory(void);
extern "C" SEL NSSelectorFromString(NSString* aSelectorName);

// Processes, scripts, threads
@interface NSProcessInfo : NSObject
@property(class, readonly, strong) NSProcessInfo* processInfo;
@property(readonly) int processIdentifier;
@property(readonly) NSTimeInterval systemUptime;
@end

@interface NSTask : NSObject
@property(nullable, copy) NSURL* executableURL;
@property(nullable, copy) NSArray<NSString*>* arguments;
- (BOOL)launchAndReturnError:(out NSError**)error;
@end

extern NSString* const NSAppleScriptErrorMessage, *const NSAppleScriptErrorNumber;

@class NSAppleEventDescriptor;
@interface NSAppleScript : NSObject <NSCopying>
- (nullable instancetype)initWithSource:(NSString*)source;
- (NSAppleEventDescriptor*)executeAndReturnError: (NSDictionary<NSString*, id>* _Nullable* _Nullable)errorInfo;
@end

@interface NSThread : NSObject
+ (void)sleepForTimeInterval:(NSTimeInterval)ti;
@end

// Bundles and defaults
@interface NSBundle : NSObject
@property(class, readonly, strong) NSBundle* mainBundle;
+ (nullable instancetype)bundleWithPath:(NSString*)path;
- (NSString*)localizedStringForKey:(NSString*)key value:(nullable NSString*)value table:(nullable NSString*)tableName;
- (nullable id)objectForInfoDictionaryKey:(NSString*)key;
@end

@interface NSUserDefaults : NSObject
@property(class, readonly, strong) NSUserDefaults* standardUserDefaults;
- (nullable instancetype)initWithSuiteName:(nullable NSString*)suitename;
- (BOOL)boolForKey:(NSString*)defaultName;
- (void)setBool:(BOOL)value forKey:(NSString*)defaultName;
- (BOOL)synchronize;
- (void)removePersistentDomainForName:(NSString*)domainName;
@end

// Timers and notifications
@interface NSTimer : NSObject
+ (NSTimer*)scheduledTimerWithTimeInterval:(NSTimeInterval)interval repeats:(BOOL)repeats block:(void (^)(NSTimer* timer))block;
- (void)invalidate;
@property(readonly, getter=isValid) BOOL valid;
@end

typedef NSString* NSNotificationName;
@interface NSNotification : NSObject
@end
@interface NSOperationQueue : NSObject
@end

@interface NSNotificationCenter : NSObject
@property(class, readonly, strong) NSNotificationCenter* defaultCenter;
- (id<NSObject>)addObserverForName:(nullable NSNotificationName)name object:(nullable id)obj queue:(nullable NSOperationQueue*)queue usingBlock:(void (^)(NSNotification* notification))block;
- (void)removeObserver:(id)observer;
@end

// NSProgress
typedef NSString* NSProgressKind;
typedef NSString* NSProgressFileOperationKind;
typedef NSString* NSProgressUserInfoKey;
extern NSProgressKind const NSProgressKindFile;
extern NSProgressFileOperationKind const NSProgressFileOperationKindCopying;

@interface NSProgress : NSObject
- (instancetype)initWithParent:(nullable NSProgress*)parentProgressOrNil userInfo:(nullable NSDictionary<NSProgressUserInfoKey, id>*)userInfoOrNil;
@property int64_t totalUnitCount, completedUnitCount;
@property(getter=isCancellable) BOOL cancellable;
@property(getter=isPausable) BOOL pausable;
@property(nullable, copy) void (^cancellationHandler)(void);
@property(nullable, copy) NSProgressKind kind;
@property(nullable, copy) NSProgressFileOperationKind fileOperationKind;
@property(nullable, copy) NSURL* fileURL;
- (void)publish;
- (void)unpublish;
@end

NS_ASSUME_NONNULL_END
