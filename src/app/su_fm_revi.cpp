#include "app/su_fm_revi.h"

#include "app/setup_defaults.h"
#include "catalogue/hash_exts.h"
#include "catalogue/texts.h"

TFramRevi::TFramRevi(IFormView& form)
    : frame(form.Control(idFramRevi)),
      lbRvTitl(form.Control(idLbRvTitl)),
      gbReview(form.Control(idGbReview)),
      mmReview(form.Control(idMmReview)),
      ckRvOvwt(form.Control(idCkRvOvwt)),
      lbRvNext(form.Control(idLbRvNext)) {}

ustring FormatByteCount(std::int64_t value) { return Os().FormatNumberGrouped(static_cast<double>(value)); }

void TFramRevi::Init(std::uint8_t nsInsTyp, std::function<void()> onOverwriteClick) {
  mmReview.ClearLines();
  ckRvOvwt.OnClick = std::move(onOverwriteClick);
  ckRvOvwt.Tag = 1;
  ckRvOvwt.SetChecked(DefaultOverwrite(nsInsTyp));
  ckRvOvwt.Tag = 0;
}

void TFramRevi::SetLanguage(TSuLang lang) {
  lbRvTitl.SetCaption(cTxRvTitle[lang]);
  gbReview.SetCaption(cTxRvSettings[lang]);
  ckRvOvwt.SetCaption(cTxRvReplace[lang]);
  lbRvNext.SetCaption(cTxRvHint[lang]);
  mmReview.ClearLines();
}

void WriteReviewSummary(IControl& mmReview, const TNewSetup& ns, TSuLang lang) {
  mmReview.AddLine(cTxPpTypeLabel[lang] +
                   (ns.nsInsTyp == cInsTypUpdate ? cTxPpTypeUpdate[lang] : cTxPpTypeNew[lang]));
  mmReview.AddLine(cTxPpFolder[lang] + u": " + ns.nsInsLoc);
  mmReview.AddLine(cTxRvDiskSpace[lang] + u": " + FormatByteCount(ns.nsTotSiz) + u" bytes");
  mmReview.AddLine(cTxPpShortcuts[lang] + u": " + cTxPpStartMenu[lang] +
                   (ns.nsCutDsk ? u", " + cTxPpDesktop[lang] : ustring()));
  ustring assocs;
  for (std::size_t i = 0; i < cHashExtCount; ++i) {
    if (!ns.nsAssoci[i]) continue;
    if (!assocs.empty()) assocs += u", ";
    assocs += HashExts[i];
  }
  mmReview.AddLine(cTxPpAssocs[lang] + u": " + assocs);
  mmReview.AddLine(u"");
}
