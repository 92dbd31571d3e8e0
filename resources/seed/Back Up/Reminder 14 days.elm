Hello *User_Name*,

I am writing again about *Auction_Name* (item number *Auction_Number*), which closed on *Auction_Close_Date*.

An invoice for *Auction_Total* was sent to you on *Invoice_Sent_Date*, and two weeks have now passed without payment. Please send your payment as soon as possible so that I can ship your item.

If there is a problem with the invoice or with the payment, please let me know so we can sort it out together.

Best regards,

Your Seller
