#include <cstring>

#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"

static_assert(kUploadImageSize == kBlockImageSize, "the upload sends the whole block image");

bool PrepareUpload(UploadRequest& request, EncodeObserver* observer) {
  if (!TryBeginPhoneJob()) return false;
  MelodySet& melodies = Melodies();
  melodies.EncodeAll(observer);
  // The upload sends this copy: a Save or Load while it runs cannot change
  // what reaches the phone.
  memcpy(request.image, melodies.BlockImage(), kUploadImageSize);
  request.portReserved = true;
  return true;
}

void ReleaseUpload(UploadRequest& request) {
  if (!request.portReserved) return;
  request.portReserved = false;
  EndPhoneJob();
}
