Hello *User_Name*,

Three weeks have now passed since *Auction_Name* (item number *Auction_Number*) closed on *Auction_Close_Date*, and I still have not received your payment of *Auction_Total*.

The invoice was sent to you on *Invoice_Sent_Date*. Please arrange payment within the next few days, or contact me right away if something is preventing you from completing the purchase.

I would much prefer to settle this with you directly, so please reply to this email.

Best regards,

Your Seller
