// All of the program's page-object headers at once, for code written before they were split.
// New code includes the header of what it uses:
//
//   LeafwrightAppState.h    the application defaults the objects read (ILeafwrightAppState)
//   PageShapeObj.h          CPageShapeObj (code 0)
//   PageGroupObj.h          CPageGroupObj (code 2)
//   PageTextObj.h           CPageTextObj (code 3)
//   PageVideoObj.h          CPageVideoObj (code 4)
//   ObjectOccurArea.h       occupied areas and GetRotationHandles
//   PageBusiPage.h          CPageBusiPage, the page
//   CreateObjectFactory.h   CCreateObjectFactory, what readers and pastes make objects with
//   LeafwrightDoc.h         CLeafwrightDoc, the document
//   PageObjectRecords.h     typed object records of pages, groups and the clipboard
//   FinishLoadedObjects.h   finishing read objects; embedded-font ids and merging
//   ClipboardFormat.h       the private clipboard format "Norvane Leafwright"
#pragma once

#include "ClipboardFormat.h"
#include "CreateObjectFactory.h"
#include "FinishLoadedObjects.h"
#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "ObjectOccurArea.h"
#include "PageBusiPage.h"
#include "PageGroupObj.h"
#include "PageObjectRecords.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"
